// The browser's columns, UI objects, info tips and renaming: on the fake
// namespace for the sources Wine does not offer, and on Wine's real folders.
#include <gtest/gtest.h>

#include <fstream>

#include "FakeNamespace.h"
#include "shell/ItemIdList.h"
#include "shell/ItemIdListPaths.h"
#include "shell/NsBrowser.h"
#include "shell/NsBrowserError.h"
#include "shell/PathClassification.h"
#include "shell/StrRet.h"
#include "support/TempFolder.h"
#include "toolkit/FilePaths.h"

namespace ts::test {
namespace {

constexpr ULONG kFsFolder = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_HASSUBFOLDER;

class NsBrowserColumnsFakeTest : public ::testing::Test {
protected:
  NsBrowserColumnsFakeTest() {
    drive = &space.Add(space.Desktop(), L"C:", kFsFolder, L"C:\\");
    folder = &space.Add(*drive, L"Data", kFsFolder, L"C:\\Data");
    folder->Columns = {{L"Name", LVCFMT_LEFT, 30, SHCOLSTATE_ONBYDEFAULT},
                       {L"Size", LVCFMT_RIGHT, 10, SHCOLSTATE_ONBYDEFAULT},
                       {L"Owner", LVCFMT_CENTER, 12, SHCOLSTATE_ONBYDEFAULT | SHCOLSTATE_HIDDEN},
                       {L"Rating", LVCFMT_LEFT, 8, 0}};
    folder->DefaultSortColumn = 1;
    TFakeItem& notes = space.Add(*folder, L"notes.txt", SFGAO_FILESYSTEM, L"C:\\Data\\notes.txt");
    notes.ColumnTexts = {L"notes.txt", L"5 KB", L"me", L""};
    space.Add(*folder, L"letter.doc", SFGAO_FILESYSTEM, L"C:\\Data\\letter.doc");
  }

  void Bind(TNsBrowser& browser) {
    TPidl list(space.AbsoluteList(*folder));
    browser.SetFolderIdList(list.Get());
  }

  TFakeNamespace space;
  TFakeItem* drive;
  TFakeItem* folder;
};

TEST_F(NsBrowserColumnsFakeTest, ColumnsFromTheFoldersSecondInterface) {
  folder->OffersFolder2 = true;
  TNsBrowser browser(nullptr);
  Bind(browser);
  browser.SetObjectName(L"notes.txt");
  EXPECT_EQ(browser.GetColumnText(1, true), L"Size");
  EXPECT_EQ(browser.GetColumnText(1, false), L"5 KB");
  EXPECT_EQ(browser.GetColumnText(0, false), L"notes.txt");  // the in-folder name
  EXPECT_EQ(space.Counters.CreateViewObject, 0);

  int width = -1;
  EXPECT_EQ(browser.GetColumnInfo(1, width), taRightJustify);
  EXPECT_EQ(width, 70);
  EXPECT_EQ(browser.GetColumnInfo(2, width), taCenter);
  EXPECT_EQ(width, 0);  // hidden
  EXPECT_EQ(browser.GetColumnInfo(3, width), taLeftJustify);
  EXPECT_EQ(width, 0);  // not on by default
  EXPECT_EQ(browser.GetColumnInfo(9, width), taLeftJustify);
  EXPECT_EQ(width, 120);  // no such column
  EXPECT_EQ(browser.GetSortColumn(), 1u);
}

TEST_F(NsBrowserColumnsFakeTest, ColumnsFromTheViewObjectWhenTheSecondInterfaceIsMissing) {
  folder->OffersDetails = true;
  TNsBrowser browser(nullptr);
  Bind(browser);
  browser.SetObjectName(L"notes.txt");
  EXPECT_EQ(browser.GetColumnText(2, true), L"Owner");
  EXPECT_EQ(browser.GetColumnText(2, false), L"me");
  int width = -1;
  EXPECT_EQ(browser.GetColumnInfo(2, width), taCenter);
  EXPECT_EQ(width, 84);  // no column states without the second interface
  EXPECT_EQ(browser.GetSortColumn(), 0u);
  EXPECT_EQ(space.Counters.CreateViewObject, 1);  // asked once per folder
}

TEST_F(NsBrowserColumnsFakeTest, NoColumnSourceOrFailingDetailsGiveNeutralAnswers) {
  TNsBrowser browser(nullptr);
  Bind(browser);
  browser.SetObjectName(L"notes.txt");
  EXPECT_EQ(browser.GetColumnText(1, true), L"");
  EXPECT_EQ(browser.GetColumnText(1, false), L"");
  EXPECT_EQ(browser.GetColumnText(1, true), L"");
  EXPECT_EQ(space.Counters.CreateViewObject, 1);  // tried once for this folder
  int width = -1;
  EXPECT_EQ(browser.GetColumnInfo(1, width), taLeftJustify);
  EXPECT_EQ(width, 120);

  // A new folder binding tries again.
  folder->OffersFolder2 = true;
  folder->DetailsFail = true;
  Bind(browser);
  browser.SetObjectName(L"notes.txt");
  EXPECT_EQ(browser.GetColumnText(1, false), L"");
  EXPECT_EQ(browser.GetColumnInfo(1, width), taLeftJustify);
  EXPECT_EQ(width, 120);
  folder->DetailsFail = false;
  EXPECT_EQ(browser.GetColumnText(1, false), L"5 KB");
}

TEST_F(NsBrowserColumnsFakeTest, MultiObjectsThatDoNotResolveAreDroppedAndTheListIsCleared) {
  TNsBrowser browser(nullptr);
  Bind(browser);
  browser.SetObjectName(L"letter.doc");
  TStringList* multi = browser.GetMultiObjects();
  multi->Add(L"C:\\Data\\notes.txt");
  multi->Add(L"C:\\Data\\missing.txt");
  multi->Add(L"C:\\Data\\letter.doc");
  TComPtr<IUnknown> menu = browser.GetUIObject(IID_IContextMenu);
  EXPECT_FALSE(menu);  // the fake offers none
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_NOINTERFACE));
  EXPECT_EQ(space.Counters.LastUIObjectCount, 2u);
  EXPECT_EQ(multi->GetCount(), 0);
  // The entries' root was bound for the request; the folder and item are back.
  EXPECT_EQ(browser.GetFolder(), L"C:\\Data\\");
  EXPECT_EQ(browser.GetObjectName(), L"letter.doc");

  // One entry selects that item first.
  multi->Add(L"C:\\Data\\notes.txt");
  EXPECT_EQ(browser.GetInfoTip(true), L"Tip: notes.txt");
  EXPECT_EQ(browser.GetObjectName(), L"notes.txt");
  EXPECT_EQ(multi->GetCount(), 0);
  EXPECT_EQ(space.Counters.LastInfoTipFlags, static_cast<DWORD>(QITIPF_USESLOWTIP));
  EXPECT_EQ(browser.GetInfoTip(false), L"Tip: notes.txt");
  EXPECT_EQ(space.Counters.LastInfoTipFlags, 0u);
}

TEST_F(NsBrowserColumnsFakeTest, OneRequestCoversTheItemsOfOneFolderOnly) {
  TFakeItem& otherDrive = space.Add(space.Desktop(), L"D:", kFsFolder, L"D:\\");
  TFakeItem& away = space.Add(otherDrive, L"away.txt", SFGAO_FILESYSTEM, L"D:\\away.txt");
  TFakeItem& hidden = space.Add(*folder, L"Virtual", SFGAO_FOLDER, L"C:\\Data\\Virtual");
  hidden.Parseable = false;  // found only by enumerating its folder
  const uint32_t notes = folder->Children[0]->Id, letter = folder->Children[1]->Id;
  TNsBrowser browser(nullptr);
  Bind(browser);
  browser.SetObjectName(L"letter.doc");

  // The first entry's drive decides; the entry on another drive goes, and
  // the one found in its own folder is taken relative to the drive too.
  TStringList* multi = browser.GetMultiObjects();
  for (const wchar_t* entry : {L"C:\\Data\\notes.txt", L"D:\\away.txt", L"C:\\Data\\Virtual", L"C:\\Data\\letter.doc"})
    multi->Add(entry);
  EXPECT_FALSE(browser.GetUIObject(IID_IContextMenu));
  EXPECT_EQ(space.Counters.LastUIObjectFolder, drive->Id);
  EXPECT_EQ(space.Counters.LastUIObjectItems, (std::vector<uint32_t>{notes, hidden.Id, letter}));
  EXPECT_EQ(multi->GetCount(), 0);
  EXPECT_EQ(browser.GetFolder(), L"C:\\Data\\");
  EXPECT_EQ(browser.GetObjectName(), L"letter.doc");

  multi->Add(L"D:\\away.txt");
  multi->Add(L"C:\\Data\\notes.txt");
  EXPECT_FALSE(browser.GetUIObject(IID_IContextMenu));
  EXPECT_EQ(space.Counters.LastUIObjectFolder, otherDrive.Id);
  EXPECT_EQ(space.Counters.LastUIObjectItems, (std::vector<uint32_t>{away.Id}));
  EXPECT_EQ(browser.GetFolder(), L"C:\\Data\\");
}

TEST_F(NsBrowserColumnsFakeTest, UIObjectsNeedABoundFolder) {
  TNsBrowser browser(nullptr);
  browser.GetMultiObjects()->Add(L"x");
  browser.GetMultiObjects()->Add(L"y");
  try {
    browser.GetUIObject(IID_IContextMenu);
    FAIL() << "no error";
  } catch (const ENsBrowserError& e) {
    EXPECT_EQ(e.Message(), L"No valid folder is currently assigned");
  }
  EXPECT_EQ(browser.GetMultiObjects()->GetCount(), 0);
  EXPECT_EQ(browser.GetInfoTip(false), L"");
}

class NsBrowserRealColumnsTest : public ::testing::Test {
protected:
  NsBrowserRealColumnsTest() {
    first = temp.MakeFile(L"first.txt", "12345");
    second = temp.MakeFile(L"second.txt", "abc");
  }
  TTempFolder temp;
  std::wstring first;
  std::wstring second;
};

TEST_F(NsBrowserRealColumnsTest, FileSystemFoldersOfferNameSizeTypeAndDate) {
  TNsBrowser browser(nullptr);
  browser.SetFolder(temp.Path());
  std::vector<std::wstring> titles;
  for (int col = 0; col < 8; ++col) titles.push_back(browser.GetColumnText(col, true));
  ASSERT_FALSE(titles[0].empty());
  EXPECT_FALSE(titles[1].empty());
  browser.SetObjectName(L"first.txt");
  EXPECT_EQ(browser.GetColumnText(0, false), L"first.txt");
  EXPECT_FALSE(browser.GetColumnText(1, false).empty());  // the size

  // Width and alignment as the folder itself describes its columns: seven
  // pixels a character, not the 120 a column without details gets.
  TComPtr<IShellFolder2> folder;
  ASSERT_EQ(browser.GetShellFolder()->QueryInterface(IID_IShellFolder2, folder.PutVoid()), S_OK);
  for (int col = 0; col < 4; ++col) {
    SHELLDETAILS details{};
    ASSERT_EQ(folder->GetDetailsOf(nullptr, static_cast<UINT>(col), &details), S_OK);
    FreeStrRet(details.str);
    SHCOLSTATEF state = 0;
    ASSERT_EQ(folder->GetDefaultColumnState(static_cast<UINT>(col), &state), S_OK);
    ASSERT_TRUE((state & SHCOLSTATE_ONBYDEFAULT) != 0 && (state & SHCOLSTATE_HIDDEN) == 0) << col;  // shown
    const TAlignment expected = (details.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT    ? taRightJustify
                                : (details.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER ? taCenter
                                                                                      : taLeftJustify;
    int width = 0;
    EXPECT_EQ(browser.GetColumnInfo(col, width), expected) << col;
    EXPECT_EQ(width, details.cxChar * 7) << col;
    EXPECT_NE(width, 120) << col;
  }
  int width = 0;
  EXPECT_EQ(browser.GetColumnInfo(40, width), taLeftJustify);
  EXPECT_EQ(width, 120);
}

TEST_F(NsBrowserRealColumnsTest, ManyPathsGiveTheShellsDataObjectAndEmptyTheList) {
  TNsBrowser browser(nullptr);
  browser.SetFolder(temp.Path());
  browser.GetMultiObjects()->Add(first);
  browser.GetMultiObjects()->Add(second);
  TComPtr<IDataObject> data = browser.GetUIObjectAs<IDataObject>(IID_IDataObject);
  ASSERT_TRUE(data);
  EXPECT_EQ(browser.GetMultiObjects()->GetCount(), 0);
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(data->QueryGetData(&format), S_OK);
}

TEST_F(NsBrowserRealColumnsTest, ManyNamesGiveADataObjectOfTheBoundFoldersItems) {
  TNsBrowser browser(nullptr);
  browser.SetFolder(temp.Path());
  browser.GetMultiObjects()->Add(L"first.txt");
  browser.GetMultiObjects()->Add(L"second.txt");
  TComPtr<IDataObject> data = browser.GetUIObjectAs<IDataObject>(IID_IDataObject);
  ASSERT_TRUE(data);
  // The shell's item list (its file names are not to be trusted everywhere).
  FORMATETC format{static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_SHELLIDLIST)), nullptr,
                   DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  ASSERT_EQ(data->GetData(&format, &medium), S_OK);
  std::vector<std::wstring> paths;
  if (const auto* ida = static_cast<const CIDA*>(GlobalLock(medium.hGlobal))) {
    const auto* bytes = reinterpret_cast<const BYTE*>(ida);
    auto parent = reinterpret_cast<PCIDLIST_ABSOLUTE>(bytes + ida->aoffset[0]);
    for (UINT i = 1; i <= ida->cidl; ++i) {
      TPidl full(ILCombine(parent, reinterpret_cast<PCUIDLIST_RELATIVE>(bytes + ida->aoffset[i])));
      paths.push_back(ItemIdListToPath(full.Get()));
    }
    GlobalUnlock(medium.hGlobal);
  }
  ReleaseStgMedium(&medium);
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_TRUE(SamePath(paths[0], first)) << paths[0];
  EXPECT_TRUE(SamePath(paths[1], second)) << paths[1];
}

TEST_F(NsBrowserRealColumnsTest, RenamingAFileAndRenamesTheFolderRefuses) {
  TNsBrowser browser(first);
  browser.SetShowErrorMessages(false);
  std::wstring name = L"renamed.txt";
  ASSERT_TRUE(browser.RenameObject(name));
  EXPECT_EQ(name, L"renamed.txt");
  EXPECT_EQ(browser.GetObjectName(), L"renamed.txt");
  EXPECT_NE(GetFileAttributesW((temp / L"renamed.txt").c_str()), INVALID_FILE_ATTRIBUTES);

  // A name already taken and a name with forbidden characters are refused,
  // and the shown name stays.
  name = L"second.txt";
  EXPECT_FALSE(browser.RenameObject(name));
  EXPECT_EQ(name, L"renamed.txt");
  name = L"bad:name?.txt";
  EXPECT_FALSE(browser.RenameObject(name));
  EXPECT_EQ(name, L"renamed.txt");
  EXPECT_NE(GetFileAttributesW((temp / L"renamed.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(second.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace ts::test
