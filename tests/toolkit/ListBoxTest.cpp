// A list box whose lines stay in its string list (owner data): the window
// holds only their count, yet draws, answers its text messages, selects by a
// typed letter and keeps its selection as lines come and go.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "support/MessagePump.h"
#include "toolkit/Forms.h"
#include "toolkit/Graphics.h"
#include "toolkit/StdCtrls.h"

namespace ts::test {
namespace {

struct OwnerDataListBoxTest : ::testing::Test {
  TForm form{nullptr};
  TListBox* list = nullptr;

  OwnerDataListBoxTest() {
    form.SetBounds(50, 50, 400, 300);
    list = new TListBox(&form);
    list->SetParent(&form);
    list->SetBounds(10, 10, 300, 200);
    list->SetItemHeight(14);
    list->SetOwnerData(true);
    form.Show();
  }

  HWND Window() { return list->GetHandle(); }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(Window(), message, wParam, lParam);
  }
  std::wstring WindowText(int index) {
    const LRESULT length = Send(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR) return L"<error>";
    std::wstring text(static_cast<size_t>(length) + 1, L'?');
    const LRESULT copied = Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    EXPECT_EQ(copied, length);
    EXPECT_EQ(text.back(), L'\0');
    text.pop_back();
    return text;
  }
  void Fill(int count) {
    list->BeginUpdate();
    for (int i = 0; i < count; ++i) list->GetItems().Add(L"line " + std::to_wstring(i));
    list->EndUpdate();
  }
  // The list's client area as drawn now.
  std::unique_ptr<TBitmap> Shot() {
    RECT client;
    GetClientRect(Window(), &client);
    auto shot = std::make_unique<TBitmap>();
    shot->SetSize(client.right, client.bottom);
    // The window's background as its erasing leaves it on the screen.
    shot->GetCanvas().Brush.Color = list->GetColor();
    shot->GetCanvas().FillRect(client);
    Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shot->GetCanvas().GetHandle()), PRF_CLIENT | PRF_ERASEBKGND);
    return shot;
  }
  RECT Row(int index) {
    RECT row{};
    Send(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row));
    return row;
  }
  // Pixels of a row that are neither of the two colours: the text's.
  int InkIn(TBitmap& shot, const RECT& row, COLORREF background) {
    int ink = 0;
    for (int y = row.top; y < row.bottom; ++y)
      for (int x = row.left; x < row.right; ++x)
        if (shot.GetPixel(x, y) != background) ++ink;
    return ink;
  }
};

TEST_F(OwnerDataListBoxTest, TheWindowHoldsTheCountAndAnswersItsTextMessagesFromTheLines) {
  Fill(1000);
  EXPECT_EQ(Send(LB_GETCOUNT), 1000);
  EXPECT_EQ(GetWindowLongW(Window(), GWL_STYLE) & (LBS_NODATA | LBS_HASSTRINGS), LBS_NODATA);
  EXPECT_EQ(WindowText(0), L"line 0");
  EXPECT_EQ(WindowText(999), L"line 999");
  EXPECT_EQ(Send(LB_GETTEXTLEN, 1000), LB_ERR);
  EXPECT_EQ(Send(LB_GETTEXT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"")), LB_ERR);
  // The searches go on after the given line, round to the start, ignoring case.
  EXPECT_EQ(Send(LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"LINE 99")), 99);
  EXPECT_EQ(Send(LB_FINDSTRING, 99, reinterpret_cast<LPARAM>(L"line 99")), 990);
  EXPECT_EQ(Send(LB_FINDSTRING, 999, reinterpret_cast<LPARAM>(L"line 99")), 99);
  EXPECT_EQ(Send(LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Line 99")), 99);
  EXPECT_EQ(Send(LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"line 9999")), LB_ERR);
  EXPECT_EQ(Send(LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"line 42")), 42);
  EXPECT_EQ(list->GetItemIndex(), 42);

  list->GetItems().Clear();
  EXPECT_EQ(Send(LB_GETCOUNT), 0);
  EXPECT_EQ(Send(LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"line")), LB_ERR);
}

TEST_F(OwnerDataListBoxTest, LinesAddedOneByOneOutsideABatchReachTheWindowAtOnce) {
  list->GetItems().Add(L"first");
  EXPECT_EQ(Send(LB_GETCOUNT), 1);
  list->GetItems().Add(L"second");
  EXPECT_EQ(Send(LB_GETCOUNT), 2);
  // Within a batch the window hears of the count at its end.
  list->BeginUpdate();
  list->GetItems().Add(L"third");
  EXPECT_EQ(Send(LB_GETCOUNT), 2);
  list->EndUpdate();
  EXPECT_EQ(Send(LB_GETCOUNT), 3);
}

TEST_F(OwnerDataListBoxTest, TheSelectionStaysOnItsLineAsLinesAreInsertedAndDeletedBeforeIt) {
  Fill(10);
  list->SetItemIndex(5);
  list->GetItems().Insert(2, L"inserted");
  EXPECT_EQ(Send(LB_GETCOUNT), 11);
  EXPECT_EQ(list->GetItemIndex(), 6);
  EXPECT_EQ(list->GetItems()[list->GetItemIndex()], L"line 5");
  EXPECT_EQ(WindowText(2), L"inserted");
  list->GetItems().Delete(0);
  EXPECT_EQ(Send(LB_GETCOUNT), 10);
  EXPECT_EQ(list->GetItems()[list->GetItemIndex()], L"line 5");
  list->GetItems().Put(4, L"replaced");
  EXPECT_EQ(WindowText(4), L"replaced");
  EXPECT_EQ(list->GetItems()[list->GetItemIndex()], L"line 5");
}

TEST_F(OwnerDataListBoxTest, RowsAreDrawnFromTheLinesWithTheSelectionHighlighted) {
  Fill(10);
  list->SetItemIndex(1);
  const COLORREF window = ColorToRGB(list->GetColor());
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  auto shot = Shot();
  const RECT first = Row(0), selected = Row(1), third = Row(2);
  EXPECT_EQ(first.bottom - first.top, 14);
  EXPECT_EQ(shot->GetPixel(selected.right - 3, selected.top + 1), highlight);
  EXPECT_EQ(shot->GetPixel(first.right - 3, first.top + 1), window);
  EXPECT_GT(InkIn(*shot, first, window), 10);
  EXPECT_GT(InkIn(*shot, selected, highlight), 10);
  // A longer line shows more text than a shorter one: the row shows its own line.
  list->GetItems().Put(2, L"line 2 with a good deal more text after it");
  shot = Shot();
  EXPECT_GT(InkIn(*shot, third, window), InkIn(*shot, first, window) * 2);
  // Past the last line the list is empty.
  const RECT past = Row(9);
  RECT below{past.left, past.bottom, past.right, past.bottom + 14};
  EXPECT_EQ(InkIn(*shot, below, window), 0);
}

TEST_F(OwnerDataListBoxTest, ATypedLetterSelectsTheNextLineStartingWithItAndTellsTheHandlers) {
  for (const wchar_t* line : {L"apple", L"banana", L"avocado", L"cherry", L"Apricot"}) list->GetItems().Add(line);
  int clicks = 0, selects = 0;
  list->OnClick = [&](TObject*) { ++clicks; };
  list->OnSelect = [&](TObject*) { ++selects; };
  list->SetFocus();
  Send(WM_CHAR, L'a');
  EXPECT_EQ(list->GetItemIndex(), 2);  // after the caret on "apple": "avocado"
  Send(WM_CHAR, L'A');
  EXPECT_EQ(list->GetItemIndex(), 4);  // "Apricot"
  Send(WM_CHAR, L'a');
  EXPECT_EQ(list->GetItemIndex(), 0);  // round to "apple"
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(selects, 3);
  Send(WM_CHAR, L'z');
  EXPECT_EQ(list->GetItemIndex(), 0);
  EXPECT_EQ(selects, 3);
}

TEST_F(OwnerDataListBoxTest, SwitchingTheModeRecreatesTheWindowWithTheLinesAndTheSelection) {
  Fill(50);
  list->SetItemIndex(30);
  const HWND before = Window();
  list->SetOwnerData(false);
  EXPECT_NE(Window(), before);
  EXPECT_EQ(GetWindowLongW(Window(), GWL_STYLE) & (LBS_NODATA | LBS_HASSTRINGS), LBS_HASSTRINGS);
  EXPECT_EQ(Send(LB_GETCOUNT), 50);
  EXPECT_EQ(WindowText(30), L"line 30");
  EXPECT_EQ(list->GetItemIndex(), 30);
  list->SetOwnerData(true);
  EXPECT_EQ(Send(LB_GETCOUNT), 50);
  EXPECT_EQ(WindowText(49), L"line 49");
  EXPECT_EQ(list->GetItemIndex(), 30);
}

TEST_F(OwnerDataListBoxTest, LinesHandedOverInOneGoReachTheWindowInBothModes) {
  list->GetItems().Add(L"first");
  list->GetItems().AddStrings(std::vector<std::wstring>{L"second", L"third"});
  EXPECT_EQ(Send(LB_GETCOUNT), 3);
  EXPECT_EQ(WindowText(2), L"third");
  list->SetOwnerData(false);
  list->GetItems().AddStrings(std::vector<std::wstring>{L"fourth", L"fifth"});
  EXPECT_EQ(Send(LB_GETCOUNT), 5);
  EXPECT_EQ(WindowText(3), L"fourth");
  EXPECT_EQ(list->GetItems()[4], L"fifth");
  // A sorted list keeps its order and its window the same.
  list->GetItems().Clear();
  list->GetItems().SetSorted(true);
  list->GetItems().AddStrings(std::vector<std::wstring>{L"b", L"a", L"B"});
  EXPECT_EQ(Send(LB_GETCOUNT), 2);
  EXPECT_EQ(WindowText(0), L"a");
  EXPECT_EQ(WindowText(1), L"b");
}

TEST_F(OwnerDataListBoxTest, AHundredThousandLinesFillAndClear) {
  Fill(100000);
  EXPECT_EQ(Send(LB_GETCOUNT), 100000);
  Send(LB_SETTOPINDEX, 99990);
  list->SetItemIndex(99999);
  EXPECT_EQ(WindowText(99999), L"line 99999");
  const RECT last = Row(99999);
  auto shot = Shot();
  EXPECT_EQ(shot->GetPixel(last.right - 3, last.top + 1), GetSysColor(COLOR_HIGHLIGHT));
  list->GetItems().Clear();
  EXPECT_EQ(Send(LB_GETCOUNT), 0);
  EXPECT_EQ(list->GetItemIndex(), -1);
}

}  // namespace
}  // namespace ts::test
