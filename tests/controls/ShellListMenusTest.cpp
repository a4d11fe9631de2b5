// The list's right click: the shell's menu for items, the list's own menu
// for its empty space, nothing on the details view's header, driven from
// the menus' own loops.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "ShellListCommandsSupport.h"
#include "controls/ShellList.h"
#include "controls/ShellListBackgroundMenu.h"
#include "shell/ShellClipboard.h"
#include "shell/ShellGlobals.h"
#include "support/MenuDriver.h"
#include "support/TempFolder.h"
#include "toolkit/Menus.h"
#include "toolkit/StringList.h"

namespace ts::test {
namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct ShellListMenusTest : ::testing::Test {
  TTempFolder temp;
  TCommandForm view;
  TCommandList* list = view.List;

  ShellListMenusTest() {
    EmptyTheClipboard();
    list->SetAutomaticRefresh(false);
  }
  ~ShellListMenusTest() override { EmptyTheClipboard(); }

  // A right click at a client point, as the mouse sends it.
  void RightClickAt(POINT client) {
    POINT screen = client;
    ClientToScreen(view.Handle(), &screen);
    SendMessageW(view.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view.Handle()),
                 MAKELPARAM(screen.x, screen.y));
  }
  void RightClickOnEmptySpace() {
    RECT client{};
    GetClientRect(view.Handle(), &client);
    RightClickAt(POINT{client.right - 10, client.bottom - 10});
  }
  void PressMenuKey() {
    SendMessageW(view.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view.Handle()), MAKELPARAM(-1, -1));
  }
};


TEST_F(ShellListMenusTest, TheEmptySpaceOffersTheListsOwnMenuInItsOrderKeptForTheWindowsLife) {
  temp.MakeFile(L"one.txt");
  list->SetViewStyle(vsList);
  list->SetPath(temp.Path());
  TMenuDriver close(0u);
  RightClickOnEmptySpace();
  ASSERT_TRUE(close.MenuSeen());
  const std::vector<TShownMenuItem>& shown = close.Shown();
  ASSERT_EQ(shown.size(), 10u);
  const bool separators[] = {false, true, false, false, true, false, true, false, true, false};
  const bool subMenus[] = {true, false, true, false, false, false, false, true, false, false};
  for (size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(shown[i].Separator, separators[i]) << i;
    EXPECT_EQ(shown[i].SubMenu, subMenus[i]) << i;
  }
  EXPECT_EQ(shown[2].Caption, L"Arrange Icons By");

  TNsBackgroundContextMenu* menu = list->GetBackgroundContextMenu();
  ASSERT_NE(menu, nullptr);
  ASSERT_NE(menu->ArrangeMenu, nullptr);
  const TMenuItem& arrange = *menu->ArrangeMenu;
  ASSERT_EQ(arrange.Count(), list->GetColumns().Count());
  for (int i = 0; i < arrange.Count(); ++i) {
    EXPECT_EQ(arrange.Item(i)->GetName(), L"_SortColumnPopupMenuItem" + std::to_wstring(i));
    EXPECT_EQ(arrange.Item(i)->GetTag(), i);
    EXPECT_FALSE(arrange.Item(i)->GetChecked());
  }
  for (const TMenuItem* item : {menu->ThumbnailsItem, menu->IconsItem, menu->ListItem, menu->DetailsItem}) {
    EXPECT_TRUE(item->GetRadioItem());
    EXPECT_FALSE(item->GetChecked());
  }

  // Chosen items check themselves and do what they say.
  menu->DetailsItem->Click();
  EXPECT_TRUE(menu->DetailsItem->GetChecked());
  EXPECT_EQ(list->GetViewStyle(), vsReport);
  arrange.Item(1)->Click();
  EXPECT_TRUE(arrange.Item(1)->GetChecked());
  EXPECT_EQ(list->GetSortColumn(), 1);

  TMenuDriver again(0u);
  RightClickOnEmptySpace();
  EXPECT_TRUE(again.MenuSeen());
  EXPECT_EQ(list->GetBackgroundContextMenu(), menu);
}

TEST_F(ShellListMenusTest, RefreshAndNewFolderFromTheBackgroundMenu) {
  list->SetViewStyle(vsList);
  list->SetPath(temp.Path());
  list->FullRefreshes = 0;
  temp.MakeFile(L"unseen.txt");  // no refresh is automatic here
  {
    TMenuDriver refresh([](const std::vector<TShownMenuItem>& items) { return items.at(3).Command; });
    RightClickOnEmptySpace();
    ASSERT_TRUE(refresh.MenuSeen());
  }
  EXPECT_EQ(list->FullRefreshes, 1);
  EXPECT_NE(view.ItemNamed(L"unseen.txt"), nullptr);

  list->GetBackgroundContextMenu()->NewFolderItem->Click();
  EXPECT_TRUE(Exists(temp / NewFolderCaption));
  HWND edit = reinterpret_cast<HWND>(SendMessageW(view.Handle(), LVM_GETEDITCONTROL, 0, 0));
  EXPECT_NE(edit, nullptr);
  if (edit) SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST_F(ShellListMenusTest, PasteFromTheBackgroundMenuCopiesTheClipboardsFilesHere) {
  const std::wstring source = temp.MakeFile(L"from\\copied.txt", "x");
  temp.MakeFolder(L"to");
  TStringList paths;
  paths.Add(source);
  ASSERT_TRUE(SetClipboardFiles(nullptr, paths, DROPEFFECT_COPY));
  list->SetViewStyle(vsList);
  list->SetPath(temp / L"to");
  {
    TMenuDriver paste([](const std::vector<TShownMenuItem>& items) { return items.at(5).Command; });
    RightClickOnEmptySpace();
    ASSERT_TRUE(paste.MenuSeen());
  }
  EXPECT_TRUE(Exists(temp / L"to\\copied.txt"));
  EXPECT_TRUE(Exists(source));
  ASSERT_EQ(list->Reports.size(), 1u);
  EXPECT_EQ(list->Reports[0].Operation, (TNsShellOperations{sopCopy, sopPaste, sopAdd}));
}

TEST_F(ShellListMenusTest, InTheDetailsViewTheHeaderOpensNothingAndTheSpaceBelowItTheMenu) {
  temp.MakeFile(L"one.txt");
  list->SetViewStyle(vsReport);
  list->SetPath(temp.Path());
  HWND header = list->GetHeaderHandle();
  ASSERT_NE(header, nullptr);
  RECT headerBounds{};
  GetWindowRect(header, &headerBounds);
  {
    TMenuDriver close(0u);
    SendMessageW(view.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(header),
                 MAKELPARAM(headerBounds.left + 5, headerBounds.bottom - 2));
    EXPECT_FALSE(close.MenuSeen());
  }
  TMenuDriver close(0u);
  RightClickOnEmptySpace();
  EXPECT_TRUE(close.MenuSeen());
}

TEST_F(ShellListMenusTest, AnAssignedBackgroundMenuTakesTheListsPlace) {
  list->SetViewStyle(vsList);
  list->SetPath(temp.Path());
  TPopupMenu own(nullptr);
  auto* only = new TMenuItem(&own);
  only->SetCaption(L"Only this");
  bool clicked = false;
  only->OnClick = [&](TObject*) { clicked = true; };
  own.GetItems().Add(only);
  list->SetBackgroundPopupMenu(&own);
  {
    TMenuDriver pick([](const std::vector<TShownMenuItem>& items) { return items.at(0).Command; });
    RightClickOnEmptySpace();
    ASSERT_TRUE(pick.MenuSeen());
    ASSERT_EQ(pick.Shown().size(), 1u);
    EXPECT_EQ(pick.Shown()[0].Caption, L"Only this");
  }
  EXPECT_TRUE(clicked);
  EXPECT_EQ(list->GetBackgroundContextMenu(), nullptr);
  list->SetBackgroundPopupMenu(nullptr);
}

TEST_F(ShellListMenusTest, TheMenuKeyOpensTheShellsMenuForTheSelectedItemOrTheListsWithoutOne) {
  temp.MakeFile(L"one.txt");
  list->SetViewStyle(vsList);
  list->SetPath(temp.Path());
  view.Select({L"one.txt"});
  {
    TMenuDriver close(0u);
    PressMenuKey();
    ASSERT_TRUE(close.MenuSeen());
    EXPECT_EQ(list->GetBackgroundContextMenu(), nullptr);  // the shell's, not the list's
    EXPECT_FALSE(close.Shown().empty());
  }
  view.Select({});
  TMenuDriver close(0u);
  PressMenuKey();
  ASSERT_TRUE(close.MenuSeen());
  EXPECT_NE(list->GetBackgroundContextMenu(), nullptr);
}

TEST_F(ShellListMenusTest, WithoutTheShellsMenuAnItemGetsTheListsPopupMenu) {
  temp.MakeFile(L"one.txt");
  list->SetViewStyle(vsList);
  list->SetPath(temp.Path());
  list->SetShellContextMenu(false);
  TPopupMenu own(nullptr);
  auto* entry = new TMenuItem(&own);
  entry->SetCaption(L"Mine");
  own.GetItems().Add(entry);
  list->SetPopupMenu(&own);
  view.Select({L"one.txt"});
  TMenuDriver close(0u);
  PressMenuKey();
  ASSERT_TRUE(close.MenuSeen());
  ASSERT_EQ(close.Shown().size(), 1u);
  EXPECT_EQ(close.Shown()[0].Caption, L"Mine");
  list->SetPopupMenu(nullptr);
}

}  // namespace
}  // namespace ts::test
