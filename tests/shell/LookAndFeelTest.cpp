// The platform look of the shell controls, on real windows.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "shell/LookAndFeel.h"
#include "shell/ShellGlobals.h"
#include "support/MessagePump.h"
#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"

namespace ts::test {
namespace {

struct LookAndFeelTest : ::testing::Test {
  TForm form{nullptr};
  LookAndFeelTest() {
    form.SetBounds(70, 70, 300, 240);
    form.Show();
  }
};

TEST_F(LookAndFeelTest, AutoScrollingMovesOnlyWhereTheControlHasRange) {
  auto* list = new TCustomListView(&form);
  list->SetViewStyle(vsReport);
  list->SetBounds(0, 0, 200, 120);
  list->GetColumns().Add(L"Name", 100);
  list->SetParent(&form);
  HWND window = list->GetHandle();
  auto top = [&] { return SendMessageW(window, LVM_GETTOPINDEX, 0, 0); };

  // Too few items to scroll: nothing moves near the bottom edge.
  list->GetItems().Add()->SetCaption(L"one");
  AutoScrollControl(*list, POINT{50, 110});
  EXPECT_EQ(top(), 0);

  for (int i = 0; i < 100; ++i) list->GetItems().Add()->SetCaption(L"item " + std::to_wstring(i));
  AutoScrollControl(*list, POINT{50, 50});  // the middle: no edge
  EXPECT_EQ(top(), 0);
  RECT client;
  GetClientRect(window, &client);
  AutoScrollControl(*list, POINT{50, client.bottom - 5});
  EXPECT_EQ(top(), 1);
  AutoScrollControl(*list, POINT{50, 5});
  EXPECT_EQ(top(), 0);
  const int horizontal = GetScrollPos(window, SB_HORZ);
  AutoScrollControl(*list, POINT{3, 50});  // no horizontal range
  EXPECT_EQ(GetScrollPos(window, SB_HORZ), horizontal);
}

TEST_F(LookAndFeelTest, ExplorerStylesFontsAndCompletion) {
  auto* list = new TCustomListView(&form);
  list->SetParent(&form);
  auto* tree = new TCustomTreeView(&form);
  tree->SetParent(&form);
  const bool vista = IsVistaOrLater;
  IsVistaOrLater = true;
  ApplyExplorerListStyle(*list);
  ApplyExplorerTreeStyle(*tree);
  IsVistaOrLater = vista;
  const LRESULT extended = SendMessageW(list->GetHandle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  EXPECT_NE(extended & LVS_EX_DOUBLEBUFFER, 0);
  EXPECT_NE(extended & LVS_EX_FULLROWSELECT, 0);
  EXPECT_TRUE(list->GetRowSelect());
  EXPECT_FALSE(tree->GetShowLines());
  EXPECT_EQ(GetWindowLongW(tree->GetHandle(), GWL_STYLE) & TVS_HASLINES, 0);

  TFont font;
  font.SetName(L"Nothing Like It");
  AssignIconTitleFont(font);
  LOGFONTW expected{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof expected, &expected, 0));
  EXPECT_EQ(font.GetName(), expected.lfFaceName);
  EXPECT_EQ(font.GetHeight(), expected.lfHeight);

  auto* memo = new TMemo(&form);
  memo->SetParent(&form);
  EXPECT_FALSE(SetAutoComplete(nullptr, true, false));
  SetAutoComplete(memo->GetHandle(), true, false);  // the platform decides; it must not fail loudly
}

}  // namespace
}  // namespace ts::test
