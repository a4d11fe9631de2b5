// The shell list's columns and sorting: Wine's real columns with widths
// remembered per kind of folder, sorting that agrees with the folder's own
// comparison, the header's sort marks with and without themes; and, on a fake
// namespace, the cases Wine cannot show (skipped columns, the recycle bin's
// logical order, columns added by the application, many columns).
#include <gtest/gtest.h>

#include <algorithm>

#include "ShellListSupport.h"
#include "shell/FakeNamespace.h"
#include "shell/NsBrowser.h"
#include "support/TempFolder.h"

namespace ts::test {
namespace {

struct ShellListColumnsTest : ::testing::Test {
  TTempFolder temp;
  TListForm view{900, 480};
  TNsShellList* list = view.List;

  int Width(int column) const { return list->GetColumns().GetWidth(column); }
  // Whether adjacent items keep the folder's order for the sort column.
  ::testing::AssertionResult OrderedByTheFolder() const {
    IShellFolder* folder = list->GetBrowser()->GetShellFolder();
    const int direction = list->GetReverseSortOrder() ? -1 : 1;
    const LPARAM column = list->GetShellColumnNumber(list->GetSortColumn());
    for (int i = 0; i + 1 < list->GetItems().Count(); ++i) {
      TNsShellListItem* a = list->GetItems()[i];
      TNsShellListItem* b = list->GetItems()[i + 1];
      const short order = static_cast<short>(HRESULT_CODE(folder->CompareIDs(column, a->GetRelativePIDL(), b->GetRelativePIDL())));
      if (order * direction > 0)
        return ::testing::AssertionFailure() << "column " << column << ": " << i << " before " << i + 1;
    }
    return ::testing::AssertionSuccess();
  }
};

TEST_F(ShellListColumnsTest, AFileSystemFolderShowsWinesOwnColumns) {
  temp.MakeFile(L"a.txt");
  list->SetPath(temp.Path());
  ASSERT_EQ(list->GetNumColumns(), 5);
  TNsBrowser browser(nullptr);
  browser.SetFolder(temp.Path());
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(list->GetColumns().Item(i).Caption, browser.GetColumnText(i, true));
    EXPECT_EQ(list->GetShellColumnNumber(i), i);
    int width = 0;
    browser.GetColumnInfo(i, width);
    EXPECT_EQ(Width(i), width);
  }
  EXPECT_EQ(list->GetColumns().Item(1).Caption, L"Size");
  EXPECT_EQ(list->GetColumns().Item(2).Caption, L"Type");
  EXPECT_EQ(list->GetColumns().Item(3).Caption, L"Modified");
  EXPECT_EQ(list->GetColumns().Item(4).Caption, L"Attributes");
  EXPECT_EQ(list->GetColumns().Item(1).Alignment, taRightJustify);
  EXPECT_EQ(list->GetAvailableColCount(), 5);

  list->SetDetails(false);
  EXPECT_EQ(list->GetColumns().Count(), 1);
  view.Draw();
  EXPECT_EQ(view.ItemNamed(L"a.txt")->GetSubItems().GetCount(), 0);
}

TEST_F(ShellListColumnsTest, WidthsAreRememberedPerKindOfFolderAndNeverAsZero) {
  temp.MakeFolder(L"one");
  temp.MakeFolder(L"two");
  list->SetPath(temp / L"one");
  const int defaultSize = Width(1);
  const int defaultType = Width(2);
  list->GetColumns().SetWidth(1, defaultSize + 77);
  list->GetColumns().SetWidth(2, 0);
  list->SetPath(temp / L"two");
  EXPECT_EQ(Width(1), defaultSize + 77);
  EXPECT_EQ(Width(2), defaultType);
  EXPECT_EQ(list->GetColumnWidth(SF_FILESYSTEMFOLDER, 1), defaultSize + 77);
  // The computer folder is another kind: its own defaults.
  list->SetSpecialFolder(SF_DRIVES);
  TNsBrowser drives(nullptr);
  drives.SetSpecialFolder(SF_DRIVES);
  int width = 0;
  drives.GetColumnInfo(1, width);
  EXPECT_EQ(Width(1), width);
  list->GetColumns().SetWidth(1, 33);
  list->SetPath(temp / L"one");
  EXPECT_EQ(Width(1), defaultSize + 77);
  list->SetSpecialFolder(SF_DRIVES);
  EXPECT_EQ(Width(1), 33);
}

TEST_F(ShellListColumnsTest, SortingByEveryColumnBothWaysKeepsTheFoldersOrder) {
  temp.MakeFile(L"zeta.txt", std::string(3000, 'x'));
  temp.MakeFile(L"alpha.doc", std::string(10, 'x'));
  temp.MakeFile(L"Mid.bmp", std::string(70000, 'x'));
  temp.MakeFile(L"beta.txt");
  temp.MakeFolder(L"folder b");
  temp.MakeFolder(L"Folder a");
  SetFileAttributesW((temp / L"beta.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  list->SetPath(temp.Path());
  for (int column = 0; column < list->GetNumColumns(); ++column) {
    for (bool reverse : {false, true}) {
      list->SetSortColumn(column);
      list->SetReverseSortOrder(reverse);
      EXPECT_TRUE(OrderedByTheFolder()) << "reverse " << reverse;
    }
  }
  SetFileAttributesW((temp / L"beta.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ShellListColumnsTest, HeaderClicksSortAscendingThenDescendingAndAnotherColumnAscending) {
  temp.MakeFile(L"b.txt");
  temp.MakeFile(L"a.txt");
  list->SetPath(temp.Path());
  std::vector<int> clicked;
  list->OnColumnClick = [&](TObject*, int column) { clicked.push_back(column); };
  view.ClickHeader(1);
  EXPECT_EQ(list->GetSortColumn(), 1);
  EXPECT_FALSE(list->GetReverseSortOrder());
  view.ClickHeader(1);
  EXPECT_TRUE(list->GetReverseSortOrder());
  view.ClickHeader(0);
  EXPECT_EQ(list->GetSortColumn(), 0);
  EXPECT_FALSE(list->GetReverseSortOrder());
  EXPECT_EQ(view.Captions(), (Names{L"a.txt", L"b.txt"}));
  view.ClickHeader(0);
  EXPECT_EQ(view.Captions(), (Names{L"b.txt", L"a.txt"}));
  view.ClickHeader(2);
  EXPECT_FALSE(list->GetReverseSortOrder());
  EXPECT_EQ(clicked, (std::vector<int>{1, 1, 0, 0, 2}));
}

TEST_F(ShellListColumnsTest, TheSortMarkIsTheThemesOrOurBitmaps) {
  temp.MakeFile(L"a.txt");
  list->SetPath(temp.Path());
  list->ThemesEnabledSource = [] { return true; };
  list->SetSortColumn(2);
  EXPECT_EQ(view.HeaderFormat(2) & (HDF_SORTUP | HDF_SORTDOWN), HDF_SORTUP);
  for (int column : {0, 1, 3, 4}) EXPECT_EQ(view.HeaderFormat(column) & (HDF_SORTUP | HDF_SORTDOWN), 0);
  list->SetReverseSortOrder(true);
  EXPECT_EQ(view.HeaderFormat(2) & (HDF_SORTUP | HDF_SORTDOWN), HDF_SORTDOWN);

  list->ThemesEnabledSource = [] { return false; };
  list->SetReverseSortOrder(false);
  HBITMAP up = nullptr, down = nullptr, none = nullptr;
  EXPECT_EQ(view.HeaderFormat(2, &up) & (HDF_BITMAP | HDF_BITMAP_ON_RIGHT), HDF_BITMAP | HDF_BITMAP_ON_RIGHT);
  list->SetReverseSortOrder(true);
  view.HeaderFormat(2, &down);
  ASSERT_NE(up, nullptr);
  ASSERT_NE(down, nullptr);
  EXPECT_NE(up, down);
  list->SetSortColumn(0);
  EXPECT_EQ(view.HeaderFormat(2, &none) & (HDF_BITMAP | HDF_BITMAP_ON_RIGHT), 0);
  EXPECT_EQ(view.HeaderFormat(0) & (HDF_BITMAP | HDF_BITMAP_ON_RIGHT), HDF_BITMAP | HDF_BITMAP_ON_RIGHT);

  // Our arrow: grey on the header's background, where the resource had its
  // transparent colour.
  BITMAP info{};
  ASSERT_NE(GetObjectW(up, sizeof info, &info), 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, up);
  EXPECT_EQ(GetPixel(dc, 0, info.bmHeight - 1), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(GetPixel(dc, info.bmWidth / 2, 1), RGB(0x70, 0x70, 0x70));
  SelectObject(dc, old);
  DeleteDC(dc);

  // A column resized or dragged (the header lets the mouse go) gets its mark
  // back.
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  item.fmt = HDF_STRING;
  SendMessageW(list->GetHeaderHandle(), HDM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  SendMessageW(list->GetHeaderHandle(), WM_CAPTURECHANGED, 0, 0);
  EXPECT_EQ(view.HeaderFormat(0) & (HDF_BITMAP | HDF_BITMAP_ON_RIGHT), HDF_BITMAP | HDF_BITMAP_ON_RIGHT);
}

TEST_F(ShellListColumnsTest, AWindowMadeAfterTheFillShowsTheSortMark) {
  temp.MakeFile(L"a.txt");
  TForm form(nullptr);
  form.SetBounds(20, 20, 500, 300);
  auto* late = new TNsShellList(&form);
  late->ThemesEnabledSource = [] { return false; };
  late->SetPath(temp.Path());
  late->SetAlign(alClient);
  late->SetParent(&form);
  form.Show();
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  SendMessageW(late->GetHeaderHandle(), HDM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.fmt & (HDF_BITMAP | HDF_BITMAP_ON_RIGHT), HDF_BITMAP | HDF_BITMAP_ON_RIGHT);
  EXPECT_EQ(late->GetItems().Count(), 1);
}

TEST_F(ShellListColumnsTest, TheStretchedColumnFillsTheWidthButNotBelow80) {
  temp.MakeFile(L"a.txt");
  list->SetPath(temp.Path());
  list->SetAutoSizeColumn(0);
  int total = 0;
  for (int i = 0; i < list->GetColumns().Count(); ++i) total += Width(i);
  EXPECT_EQ(total, list->GetClientWidth());
  view.Form.SetBounds(20, 20, 200, 300);
  EXPECT_EQ(Width(0), 80);
  view.Form.SetBounds(20, 20, 1000, 300);
  total = 0;
  for (int i = 0; i < list->GetColumns().Count(); ++i) total += Width(i);
  EXPECT_EQ(total, list->GetClientWidth());
  // No such column: nothing stretches, even when the list is resized.
  std::vector<int> widths;
  for (int i = 0; i < list->GetColumns().Count(); ++i) widths.push_back(Width(i));
  list->SetAutoSizeColumn(99);
  view.Form.SetBounds(20, 20, 1200, 300);
  for (int i = 0; i < list->GetColumns().Count(); ++i) EXPECT_EQ(Width(i), widths[static_cast<size_t>(i)]) << i;
}

// On a namespace the test sets up.
struct ShellListFakeColumnsTest : ::testing::Test {
  TFakeNamespace space;
  TFakeItem* folder = nullptr;
  TListForm view{700, 400};
  TNsShellList* list = view.List;

  ShellListFakeColumnsTest() {
    list->SetAutomaticRefresh(false);
    folder = &space.Add(space.Desktop(), L"Folder", SFGAO_FOLDER);
    folder->OffersFolder2 = true;
    folder->ComparesByColumnText = true;
    folder->Columns = {{L"Name", LVCFMT_LEFT, 20},
                       {L"Secret", LVCFMT_LEFT, 10, 0},
                       {L"Size", LVCFMT_RIGHT, 10},
                       {L"Kind", LVCFMT_LEFT, 15}};
    Child(L"beta", L"s-b", L"30", L"text");
    Child(L"alpha", L"s-a", L"10", L"zip");
    Child(L"gamma", L"s-g", L"20", L"image");
  }
  void Child(const std::wstring& name, const std::wstring& secret, const std::wstring& size, const std::wstring& kind) {
    TFakeItem& item = space.Add(*folder, name, 0);
    item.ColumnTexts = {name, secret, size, kind};
  }
  void Show(TFakeItem& item) {
    TPidl list(space.AbsoluteList(item));
    this->list->SetFolderIdList(list.Get());
  }
};

TEST_F(ShellListFakeColumnsTest, ASkippedShellColumnKeepsEveryListColumnOnTheShellColumnItShows) {
  Names addedTexts;
  list->OnAddItem = [&](TObject*, TNsShellListItem* item, bool&) {
    for (int i = 0; i < item->GetSubItems().GetCount(); ++i) addedTexts.push_back(item->GetSubItems().Get(i));
  };
  Show(*folder);
  ASSERT_EQ(list->GetNumColumns(), 3);
  EXPECT_EQ(list->GetColumns().Item(1).Caption, L"Size");
  EXPECT_EQ(list->GetColumns().Item(2).Caption, L"Kind");
  EXPECT_EQ(list->GetShellColumnNumber(1), 2);
  EXPECT_EQ(list->GetShellColumnNumber(2), 3);
  EXPECT_EQ(list->GetAvailableColCount(), 4);
  EXPECT_EQ(addedTexts, (Names{L"30", L"text", L"10", L"zip", L"20", L"image"}));

  list->OnAddItem = nullptr;
  list->FullRefresh();
  view.Draw();
  TNsShellListItem* alpha = view.ItemNamed(L"alpha");
  ASSERT_TRUE(PumpMessagesUntil([&] { return alpha->GetSubItems().GetCount() == 2; }));
  EXPECT_EQ(alpha->GetSubItems().Get(0), L"10");
  EXPECT_EQ(alpha->GetSubItems().Get(1), L"zip");

  // Sorting by "Size" asks the folder about shell column 2.
  list->SetSortColumn(1);
  EXPECT_EQ(space.Counters.LastCompareColumn, 2);
  EXPECT_EQ(view.Captions(), (Names{L"alpha", L"gamma", L"beta"}));
  list->SetSortColumn(2);
  EXPECT_EQ(space.Counters.LastCompareColumn, 3);
  EXPECT_EQ(view.Captions(), (Names{L"gamma", L"beta", L"alpha"}));
}

TEST_F(ShellListFakeColumnsTest, TheFoldersDefaultSortColumnIsTheListColumnShowingIt) {
  folder->DefaultSortColumn = 3;
  Show(*folder);
  EXPECT_EQ(list->GetSortColumn(), 2);
  EXPECT_EQ(view.Captions(), (Names{L"gamma", L"beta", L"alpha"}));
  // A sort column the folder offers stays when the list is filled again.
  list->SetSortColumn(1);
  list->FullRefresh();
  EXPECT_EQ(list->GetSortColumn(), 1);
}

TEST_F(ShellListFakeColumnsTest, TheRecycleBinSortsNamesByTheirNumbers) {
  TFakeItem& bin = space.Add(space.Desktop(), L"Recycle Bin", SFGAO_FOLDER);
  space.SetSpecial(CSIDL_BITBUCKET, bin);
  bin.OffersFolder2 = true;
  bin.Columns = {{L"Name"}};
  for (const wchar_t* name : {L"file10", L"File2", L"file1"}) space.Add(bin, name, 0);
  Show(bin);
  EXPECT_EQ(list->GetSpecialFolder(), SF_BITBUCKET);
  EXPECT_EQ(view.Captions(), (Names{L"file1", L"File2", L"file10"}));
  list->SetReverseSortOrder(true);
  EXPECT_EQ(view.Captions(), (Names{L"file10", L"File2", L"file1"}));
}

TEST_F(ShellListFakeColumnsTest, AColumnTheApplicationAddsSortsByItsTexts) {
  int extra = -1;
  list->OnCreateColumns = [&](TObject*) { extra = list->GetColumns().Add(L"Remark", 80); };
  list->OnAddItem = [&](TObject*, TNsShellListItem* item, bool&) {
    item->GetSubItems().Add(item->GetCaption() == L"beta" ? L"a remark" : L"Z remark");
  };
  std::vector<std::wstring> compared;
  list->OnCompare = [&](TObject*, TListItem* a, TListItem*, LPARAM, int& result) {
    compared.push_back(a->GetCaption());
    if (a->GetCaption() == L"never") result = 0;
  };
  Show(*folder);
  ASSERT_EQ(extra, 3);
  EXPECT_EQ(list->GetNumColumns(), 3);
  list->SetSortColumn(extra);
  EXPECT_EQ(list->GetItems()[0]->GetCaption(), L"beta");
  EXPECT_FALSE(compared.empty());
  list->SetReverseSortOrder(true);
  EXPECT_EQ(list->GetItems()[2]->GetCaption(), L"beta");
  // In the other styles such a column sorts by the captions.
  list->SetViewStyle(vsList);
  list->SetReverseSortOrder(false);
  EXPECT_EQ(view.Captions(), (Names{L"alpha", L"beta", L"gamma"}));
}

// A list that tells whether it was filled from inside the sort's comparisons.
class TSortWatchingList : public TNsShellList {
public:
  using TNsShellList::TNsShellList;
  int FilledWhileComparing = 0;
  int Compared = 0;
  int ComparedWithoutTexts = 0;

protected:
  int CompareListItems(TNsShellListItem* a, TNsShellListItem* b) override {
    ++Compared;
    if (a->GetSubItems().GetCount() == 0 || b->GetSubItems().GetCount() == 0) ++ComparedWithoutTexts;
    fComparing = true;
    const int result = TNsShellList::CompareListItems(a, b);
    fComparing = false;
    return result;
  }
  void FillItem(TNsCheckableListItem* item) override {
    if (fComparing) ++FilledWhileComparing;
    TNsShellList::FillItem(item);
  }

private:
  bool fComparing = false;
};

TEST_F(ShellListFakeColumnsTest, AnAddedColumnSortsTextsFilledBeforeTheSortNotInsideIt) {
  TForm form(nullptr);
  form.SetBounds(20, 20, 700, 400);
  auto* watched = new TSortWatchingList(&form);
  watched->SetAlign(alClient);
  watched->SetParent(&form);
  watched->SetAutomaticRefresh(false);
  form.Show();
  int extra = -1;
  watched->OnCreateColumns = [&](TObject*) { extra = watched->GetColumns().Add(L"Remark", 80); };
  TPidl shown(space.AbsoluteList(*folder));
  watched->SetFolderIdList(shown.Get());
  ASSERT_EQ(extra, 3);
  ASSERT_EQ(watched->GetItems()[0]->GetSubItems().GetCount(), 0);
  watched->Compared = 0;
  watched->ComparedWithoutTexts = 0;
  watched->SetSortColumn(extra);
  EXPECT_GT(watched->Compared, 0);
  EXPECT_EQ(watched->FilledWhileComparing, 0);
  EXPECT_EQ(watched->ComparedWithoutTexts, 0);
  // The texts are the folder's, as if the rows had been drawn.
  for (int i = 0; i < watched->GetItems().Count(); ++i) {
    TNsShellListItem* item = watched->GetItems()[i];
    ASSERT_EQ(item->GetSubItems().GetCount(), 2);
    EXPECT_EQ(item->GetSubItems().Get(1), item->GetCaption() == L"alpha" ? L"zip" : item->GetCaption() == L"beta" ? L"text" : L"image");
  }
}

TEST_F(ShellListFakeColumnsTest, ANegativeSortColumnSortsByTheFirstColumn) {
  Show(*folder);
  list->SetSortColumn(-3);
  EXPECT_EQ(list->GetSortColumn(), 0);
  EXPECT_EQ(space.Counters.LastCompareColumn, 0);
  EXPECT_EQ(view.Captions(), (Names{L"alpha", L"beta", L"gamma"}));
}

TEST_F(ShellListFakeColumnsTest, AFolderWithMoreThan256ColumnsShowsTheFirst256) {
  folder->Columns.clear();
  for (int i = 0; i < 300; ++i) folder->Columns.push_back({L"Column " + std::to_wstring(i), LVCFMT_LEFT, 5});
  Show(*folder);
  ASSERT_EQ(list->GetNumColumns(), 256);
  EXPECT_EQ(list->GetShellColumnNumber(255), 255);
  // Widths are remembered below index 255 only.
  list->GetColumns().SetWidth(254, 99);
  list->GetColumns().SetWidth(255, 99);
  list->FullRefresh();
  EXPECT_EQ(list->GetColumns().GetWidth(254), 99);
  EXPECT_EQ(list->GetColumns().GetWidth(255), 35);
}

}  // namespace
}  // namespace ts::test
