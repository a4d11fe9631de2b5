// The list view as a real window: images asked for as items are drawn,
// label editing, sorting, custom draw, changes and re-creation.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <set>

#include "support/MessagePump.h"
#include "toolkit/Forms.h"
#include "toolkit/ListView.h"

namespace ts::test {
namespace {

struct ListViewTest : ::testing::Test {
  TForm form{nullptr};
  TCustomListView* list = nullptr;
  ListViewTest() {
    form.SetBounds(40, 40, 420, 320);
    list = new TCustomListView(&form);
    list->SetViewStyle(vsReport);
    list->SetAlign(alClient);
    list->GetColumns().Add(L"Name", 150);
    list->GetColumns().Add(L"Size", 80, taRightJustify);
    list->SetParent(&form);
    form.Show();
  }
  void Fill(int count) {
    list->GetItems().BeginUpdate();
    for (int i = 0; i < count; ++i) {
      TListItem* item = list->GetItems().Add();
      item->SetCaption(L"item " + std::to_wstring(i));
      item->GetSubItems().Add(std::to_wstring(i * 10) + L" KB");
    }
    list->GetItems().EndUpdate();
  }
  std::wstring TextAt(int index, int sub = 0) {
    wchar_t buffer[64] = {};
    LVITEMW lv{};
    lv.iSubItem = sub;
    lv.pszText = buffer;
    lv.cchTextMax = 64;
    SendMessageW(list->GetHandle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lv));
    return buffer;
  }
};

TEST_F(ListViewTest, ImagesAreAskedForAsItemsAreDrawnAndNotForItemsOutOfView) {
  std::set<int> asked;
  list->OnGetImageIndex = [&](TObject*, TListItem* item) {
    asked.insert(item->GetIndex());
    item->SetImageIndex(item->GetIndex() % 3);
  };
  Fill(300);
  UpdateWindow(list->GetHandle());
  PumpMessagesFor(50);
  EXPECT_TRUE(asked.count(0));
  EXPECT_FALSE(asked.count(299));
  list->GetItems().Item(299)->MakeVisible(false);
  UpdateWindow(list->GetHandle());
  PumpMessagesFor(50);
  EXPECT_TRUE(asked.count(299));
  EXPECT_EQ(TextAt(12), L"item 12");
  EXPECT_EQ(TextAt(12, 1), L"120 KB");
}

TEST_F(ListViewTest, EditingACaptionRunsTheEventsAndKeepsTheEditedText) {
  Fill(3);
  std::vector<std::wstring> events;
  list->OnEditing = [&](TObject*, TListItem* item, bool& allow) {
    events.push_back(L"editing " + item->GetCaption());
    allow = item->GetIndex() != 2;
  };
  list->OnEdited = [&](TObject*, TListItem*, std::wstring& text) {
    events.push_back(L"edited " + text);
    text += L"!";
  };
  list->OnCancelEdit = [&](TObject*, TListItem*) { events.push_back(L"cancelled"); };
  TListItem* item = list->GetItems().Item(1);
  ASSERT_TRUE(item->EditCaption());
  HWND edit = reinterpret_cast<HWND>(SendMessageW(list->GetHandle(), LVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(list->IsEditing());
  SetWindowTextW(edit, L"renamed");
  SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(item->GetCaption(), L"renamed!");
  EXPECT_EQ(TextAt(1), L"renamed!");

  ASSERT_TRUE(item->EditCaption());
  edit = reinterpret_cast<HWND>(SendMessageW(list->GetHandle(), LVM_GETEDITCONTROL, 0, 0));
  SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(item->GetCaption(), L"renamed!");

  EXPECT_FALSE(list->GetItems().Item(2)->EditCaption());  // refused by OnEditing
  list->SetReadOnly(true);
  EXPECT_EQ(events, (std::vector<std::wstring>{L"editing item 1", L"edited renamed", L"editing renamed!",
                                               L"cancelled", L"editing item 2"}));
}

TEST_F(ListViewTest, SortingByAComparisonReordersWindowAndItems) {
  Fill(5);
  list->OnCompare = [](TObject*, TListItem* a, TListItem* b, LPARAM, int& result) {
    result = -a->GetCaption().compare(b->GetCaption());
  };
  ASSERT_TRUE(list->CustomSort());
  EXPECT_EQ(TextAt(0), L"item 4");
  EXPECT_EQ(list->GetItems().Item(0)->GetCaption(), L"item 4");
  EXPECT_EQ(list->GetItems().Item(4)->GetIndex(), 4);
  EXPECT_EQ(list->GetItems().Item(4)->GetCaption(), L"item 0");
  list->CustomSort([](TListItem* a, TListItem* b) { return a->GetCaption().compare(b->GetCaption()); });
  EXPECT_EQ(TextAt(0), L"item 0");
  int clicked = -1;
  list->OnColumnClick = [&](TObject*, int column) { clicked = column; };
  NMLISTVIEW click{};
  click.hdr.hwndFrom = list->GetHandle();
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  click.iSubItem = 1;
  SendMessageW(form.GetHandle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(clicked, 1);
  list->SetColumnSortMark(1, smDescending);
  EXPECT_EQ(list->GetColumnSortMark(1), smDescending);
  EXPECT_EQ(list->GetColumnSortMark(0), smNone);
}

TEST_F(ListViewTest, CustomDrawColoursReachTheItem) {
  Fill(3);
  list->OnCustomDrawItem = [](TCustomListView* sender, TListItem* item, TCustomDrawState, bool&) {
    if (item->GetIndex() == 1) sender->GetCanvas().FontColor = clRed;
  };
  // The notification the control sends its parent for one item.
  NMLVCUSTOMDRAW draw{};
  draw.nmcd.hdr.hwndFrom = list->GetHandle();
  draw.nmcd.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list->GetHandle()));
  draw.nmcd.hdr.code = NM_CUSTOMDRAW;
  draw.nmcd.dwDrawStage = CDDS_PREPAINT;
  EXPECT_EQ(SendMessageW(form.GetHandle(), WM_NOTIFY, draw.nmcd.hdr.idFrom, reinterpret_cast<LPARAM>(&draw)),
            CDRF_NOTIFYITEMDRAW);
  draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
  draw.nmcd.dwItemSpec = 1;
  draw.nmcd.lItemlParam = reinterpret_cast<LPARAM>(list->GetItems().Item(1));
  SendMessageW(form.GetHandle(), WM_NOTIFY, draw.nmcd.hdr.idFrom, reinterpret_cast<LPARAM>(&draw));
  EXPECT_EQ(draw.clrText, RGB(255, 0, 0));
  // An item the handler leaves alone keeps the colours the platform chose.
  draw.nmcd.lItemlParam = reinterpret_cast<LPARAM>(list->GetItems().Item(0));
  draw.clrText = RGB(1, 2, 3);
  draw.clrTextBk = RGB(4, 5, 6);
  SendMessageW(form.GetHandle(), WM_NOTIFY, draw.nmcd.hdr.idFrom, reinterpret_cast<LPARAM>(&draw));
  EXPECT_EQ(draw.clrText, RGB(1, 2, 3));
  EXPECT_EQ(draw.clrTextBk, RGB(4, 5, 6));
  UpdateWindow(list->GetHandle());  // and a real paint goes through it too
}

TEST_F(ListViewTest, SelectionStatesChangesAndRecreationKeepWhatTheItemsHold) {
  Fill(10);
  list->SetMultiSelect(true);
  int stateChanges = 0;
  list->OnChange = [&](TObject*, TListItem*, TItemChange change) { stateChanges += change == ctState; };
  list->GetItems().Item(2)->SetSelected(true);
  list->GetItems().Item(5)->SetSelected(true);
  list->GetItems().Item(5)->SetFocused(true);
  list->GetItems().Item(7)->SetCut(true);
  list->GetItems().Item(3)->SetOverlayIndex(0);
  EXPECT_GE(stateChanges, 2);
  EXPECT_EQ(list->GetSelCount(), 2);
  EXPECT_EQ(list->GetSelected(), list->GetItems().Item(2));
  EXPECT_EQ(list->GetNextItem(list->GetItems().Item(2), sdAll, LVNI_SELECTED), list->GetItems().Item(5));
  EXPECT_EQ(list->GetItemFocused(), list->GetItems().Item(5));

  HWND before = list->GetHandle();
  list->RecreateWnd();
  EXPECT_NE(list->GetHandle(), before);
  EXPECT_EQ(SendMessageW(list->GetHandle(), LVM_GETITEMCOUNT, 0, 0), 10);
  EXPECT_EQ(list->GetSelCount(), 2);
  EXPECT_TRUE(list->GetItems().Item(7)->GetCut());
  EXPECT_EQ(TextAt(9, 1), L"90 KB");
  EXPECT_NE(list->GetHeaderHandle(), nullptr);

  const RECT r = list->GetItems().Item(0)->DisplayRect(drBounds);
  EXPECT_EQ(list->GetItemAt(r.left + 5, (r.top + r.bottom) / 2), list->GetItems().Item(0));
  EXPECT_NE(list->GetHitTestInfoAt(r.left + 5, (r.top + r.bottom) / 2) & LVHT_ONITEM, 0u);

  int deleted = 0;
  list->OnDeletion = [&](TObject*, TListItem*) { ++deleted; };
  list->GetItems().Item(0)->Delete();
  EXPECT_EQ(list->GetItems().Count(), 9);
  EXPECT_EQ(TextAt(0), L"item 1");
  list->GetItems().Clear();
  EXPECT_EQ(deleted, 10);
  EXPECT_EQ(SendMessageW(list->GetHandle(), LVM_GETITEMCOUNT, 0, 0), 0);

  list->SetViewStyle(vsList);
  EXPECT_EQ(GetWindowLongW(list->GetHandle(), GWL_STYLE) & LVS_TYPEMASK, LVS_LIST);
}

TEST_F(ListViewTest, TheItemClassCanBeChosen) {
  struct TTaggedItem : TListItem {
    using TListItem::TListItem;
    int Extra = 42;
  };
  list->OnCreateItemClass = [](TCustomListView*, TListItemClass& itemClass) {
    itemClass = [](TListItems* owner) { return new TTaggedItem(owner); };
  };
  auto* item = dynamic_cast<TTaggedItem*>(list->GetItems().Add());
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->Extra, 42);
}

}  // namespace
}  // namespace ts::test
