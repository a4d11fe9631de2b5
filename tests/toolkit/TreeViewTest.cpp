// The tree view and the combo box as real windows.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "support/MessagePump.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Forms.h"
#include "toolkit/TreeView.h"

namespace ts::test {
namespace {

struct TreeViewTest : ::testing::Test {
  TForm form{nullptr};
  TCustomTreeView* tree = nullptr;
  TreeViewTest() {
    form.SetBounds(60, 60, 360, 300);
    tree = new TCustomTreeView(&form);
    tree->SetAlign(alClient);
    tree->SetParent(&form);
    form.Show();
  }
  std::wstring TextOf(TTreeNode* node) {
    wchar_t buffer[64] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = node->GetItemId();
    tv.pszText = buffer;
    tv.cchTextMax = 64;
    SendMessageW(tree->GetHandle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return buffer;
  }
};

TEST_F(TreeViewTest, ANodeIsFilledWhenItIsAboutToExpand) {
  TTreeNode* root = tree->GetItems().Add(nullptr, L"Desktop");
  root->SetHasChildren(true);
  std::vector<std::wstring> events;
  tree->OnExpanding = [&](TObject*, TTreeNode* node, bool& allow) {
    events.push_back(L"expanding " + node->GetText());
    if (node == root && node->Count() == 0)
      for (const wchar_t* name : {L"C:", L"D:"}) tree->GetItems().AddChild(node, name)->SetHasChildren(true);
    allow = node->GetText() != L"D:";
  };
  tree->OnExpanded = [&](TObject*, TTreeNode* node) { events.push_back(L"expanded " + node->GetText()); };
  EXPECT_TRUE(root->GetHasChildren());
  EXPECT_EQ(root->Count(), 0);
  root->Expand(false);
  EXPECT_TRUE(root->GetExpanded());
  ASSERT_EQ(root->Count(), 2);
  EXPECT_EQ(TextOf(root->Item(1)), L"D:");
  root->Item(1)->Expand(false);  // refused
  EXPECT_FALSE(root->Item(1)->GetExpanded());
  // The user's click on the button asks the same.
  tree->GetItems().AddChild(root->Item(0), L"Windows");
  SendMessageW(tree->GetHandle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root->Item(0)->GetItemId()));
  EXPECT_EQ(events, (std::vector<std::wstring>{L"expanding Desktop", L"expanded Desktop", L"expanding D:",
                                               L"expanding C:", L"expanded C:"}));

  // Navigation over what is there now.
  EXPECT_EQ(root->GetFirstChild()->GetNextSibling(), root->Item(1));
  EXPECT_EQ(root->Item(1)->GetPrevSibling(), root->Item(0));
  EXPECT_EQ(root->GetNext(), root->Item(0));
  EXPECT_EQ(root->Item(0)->GetNext(), root->Item(0)->Item(0));
  EXPECT_EQ(root->Item(0)->Item(0)->GetNext(), root->Item(1));
  EXPECT_EQ(root->Item(1)->GetLevel(), 1);
  EXPECT_EQ(root->Item(1)->GetAbsoluteIndex(), 3);
  EXPECT_EQ(tree->GetItems().Count(), 4);
  EXPECT_EQ(tree->GetItems().Item(3), root->Item(1));
  EXPECT_TRUE(root->Item(1)->HasAsParent(root));
}

TEST_F(TreeViewTest, ChangeDelayPostponesTheChangeEventAndZeroMakesItImmediate) {
  TTreeNode* a = tree->GetItems().Add(nullptr, L"a");
  TTreeNode* b = tree->GetItems().Add(nullptr, L"b");
  std::vector<TTreeNode*> changes;
  tree->OnChange = [&](TObject*, TTreeNode* node) { changes.push_back(node); };
  tree->SetSelected(a);
  EXPECT_EQ(changes, (std::vector<TTreeNode*>{a}));
  tree->SetChangeDelay(80);
  tree->SetSelected(b);
  EXPECT_EQ(changes.size(), 1u);
  EXPECT_TRUE(PumpMessagesUntil([&] { return changes.size() == 2; }, 2000));
  EXPECT_EQ(changes.back(), b);
  bool allow = false;
  tree->OnChanging = [&](TObject*, TTreeNode*, bool& ok) { ok = allow; };
  tree->SetSelected(a);
  EXPECT_EQ(tree->GetSelected(), b);  // refused
}

TEST_F(TreeViewTest, EditingSortingDrawingAndRecreation) {
  TTreeNode* top = tree->GetItems().Add(nullptr, L"top");
  for (const wchar_t* name : {L"pear", L"apple", L"fig"}) tree->GetItems().AddChild(top, name);
  top->Expand(false);
  top->CustomSort([](TTreeNode* x, TTreeNode* y) { return x->GetText().compare(y->GetText()); });
  EXPECT_EQ(top->Item(0)->GetText(), L"apple");
  HTREEITEM first = reinterpret_cast<HTREEITEM>(
      SendMessageW(tree->GetHandle(), TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(top->GetItemId())));
  EXPECT_EQ(first, top->Item(0)->GetItemId());

  std::wstring edited;
  tree->OnEdited = [&](TObject*, TTreeNode*, std::wstring& text) { edited = text; };
  ASSERT_TRUE(top->Item(2)->EditText());
  HWND edit = reinterpret_cast<HWND>(SendMessageW(tree->GetHandle(), TVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, L"plum");
  top->Item(2)->EndEdit(false);
  EXPECT_EQ(edited, L"plum");
  EXPECT_EQ(top->Item(2)->GetText(), L"plum");

  tree->OnCustomDrawItem = [](TCustomTreeView* sender, TTreeNode* node, TCustomDrawState, bool&) {
    if (node != nullptr && node->GetText() == L"fig") sender->GetCanvas().FontColor = clRed;
  };
  NMTVCUSTOMDRAW draw{};
  draw.nmcd.hdr.hwndFrom = tree->GetHandle();
  draw.nmcd.hdr.code = NM_CUSTOMDRAW;
  draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
  draw.nmcd.lItemlParam = reinterpret_cast<LPARAM>(top->Item(1));
  SendMessageW(form.GetHandle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw));
  EXPECT_EQ(draw.clrText, RGB(255, 0, 0));

  tree->SetSelected(top->Item(1));
  tree->RecreateWnd();
  EXPECT_EQ(TextOf(top->Item(2)), L"plum");
  EXPECT_TRUE(top->GetExpanded());
  EXPECT_EQ(tree->GetSelected(), top->Item(1));

  int deleted = 0;
  tree->OnDeletion = [&](TObject*, TTreeNode*) { ++deleted; };
  tree->SetKeepNodesOnRecreate(false);
  tree->RecreateWnd();
  EXPECT_EQ(tree->GetItems().Count(), 0);
  EXPECT_EQ(deleted, 4);
}

TEST(ComboBoxTest, OwnerDrawnItemsAreDrawnByTheEventAndTheEditsKeysReachTheCombo) {
  TForm form(nullptr);
  form.SetBounds(80, 80, 300, 200);
  auto* combo = new TCustomComboBox(&form);
  combo->SetStyle(csOwnerDrawVariable);
  combo->SetParent(&form);
  std::vector<int> drawn, measured;
  combo->OnMeasureItem = [&](TCustomComboBox*, int index, int& height) {
    measured.push_back(index);
    height = 18 + index;
  };
  combo->OnDrawItem = [&](TCustomComboBox*, int index, const RECT&, TOwnerDrawState) { drawn.push_back(index); };
  form.Show();
  int selects = 0;
  combo->OnSelect = [&](TObject*) { ++selects; };
  for (const wchar_t* path : {L"Desktop", L"C:\\", L"C:\\Data"}) combo->GetItems().AddObject(path, nullptr);
  EXPECT_EQ(measured, (std::vector<int>{0, 1, 2}));
  combo->SetItemIndex(2);
  // An editable combo shows its text in the edit field; the items are drawn
  // in the list.
  combo->SetDroppedDown(true);
  EXPECT_TRUE(combo->GetDroppedDown());
  PumpMessagesUntil([&] { return std::find(drawn.begin(), drawn.end(), 2) != drawn.end(); }, 2000);
  combo->SetDroppedDown(false);
  EXPECT_NE(std::find(drawn.begin(), drawn.end(), 2), drawn.end());
  EXPECT_EQ(combo->GetItemIndex(), 2);
  SendMessageW(form.GetHandle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo->GetHandle()), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo->GetHandle()));
  EXPECT_EQ(selects, 1);

  ASSERT_NE(combo->GetEditHandle(), nullptr);
  int enters = 0;
  combo->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
    if (key == VK_RETURN) {
      ++enters;
      key = 0;
    }
  };
  SendMessageW(combo->GetEditHandle(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(enters, 1);
  combo->SetStyle(csDropDownList);
  EXPECT_EQ(combo->GetEditHandle(), nullptr);
  EXPECT_EQ(combo->GetItems().GetCount(), 3);
  EXPECT_EQ(combo->GetItemIndex(), 2);
}

}  // namespace
}  // namespace ts::test
