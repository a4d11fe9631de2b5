// The shell list view on Wine's real shell, on folders the tests make: its
// defaults, filling, navigation and history, selection, the smart refresh,
// the link, and what it does with bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "ShellListSupport.h"
#include "link/NsShellLink.h"
#include "shell/FakeNamespace.h"
#include "shell/NsBrowserError.h"
#include "shell/PidlHistory.h"
#include "shell/SpecialFolders.h"
#include "support/TempFolder.h"
#include "toolkit/Exception.h"

namespace ts::test {
namespace {

struct ShellListTest : ::testing::Test {
  TTempFolder temp;
  TListForm view;
  TNsShellList* list = view.List;

  std::wstring Folder() const { return temp.Path() + L"\\"; }
  void Show(const std::wstring& path) { list->SetPath(path); }
  void MakeFiles(int count, const std::wstring& prefix = L"file") {
    for (int i = 0; i < count; ++i) {
      wchar_t name[64];
      swprintf(name, 64, L"%ls%04d.txt", prefix.c_str(), i);
      temp.MakeFile(name, "x");
    }
  }
};

TEST(ShellListDefaultsTest, ANewListHasEveryCreationDefault) {
  TListForm view;
  TNsShellList& list = *view.List;
  EXPECT_TRUE(list.GetAutomaticRefresh());
  EXPECT_TRUE(list.GetDetails());
  EXPECT_FALSE(list.GetFileSystemOnly());
  EXPECT_EQ(list.GetFilter(), L"*");
  EXPECT_EQ(list.GetSpecialFolder(), SF_DRIVES);
  EXPECT_EQ(list.GetPath(), L"");
  EXPECT_TRUE(list.GetOleDragDrop());
  EXPECT_TRUE(list.GetShellContextMenu());
  EXPECT_EQ(list.GetBackgroundPopupMenu(), nullptr);
  EXPECT_TRUE(list.GetShowFolders());
  EXPECT_FALSE(list.GetShowParentFolder());
  EXPECT_EQ(list.GetShowOptions().Value(), 0x13);
  EXPECT_TRUE(list.GetShowNethood());
  EXPECT_TRUE(list.GetShowRecycleBin());
  EXPECT_TRUE(list.GetShowFiles());
  EXPECT_FALSE(list.GetShowErrorMessages());
  EXPECT_FALSE(list.GetShowHidden());
  EXPECT_FALSE(list.GetShowContextMenuOnTop());
  EXPECT_FALSE(list.GetColorCompressed());
  EXPECT_FALSE(list.GetColorEncrypted());
  EXPECT_FALSE(list.GetNoFillOnStartup());
  EXPECT_FALSE(list.GetThumbnails());
  EXPECT_EQ(list.GetThumbnailWidth(), 96);
  EXPECT_EQ(list.GetThumbnailHeight(), 96);
  EXPECT_EQ(list.GetThumbnailBorderColor(), 12632256);
  EXPECT_TRUE(list.GetShowOverlayIcons());
  EXPECT_TRUE(list.GetUseSystemStyles());
  EXPECT_EQ(list.GetCopyMode(), cmDefault);
  EXPECT_EQ(list.GetAutoSizeColumn(), -1);
  EXPECT_EQ(list.GetShellLink(), nullptr);
  EXPECT_TRUE(list.GetUseSystemFont());
  EXPECT_FALSE(list.GetCheckboxes());
  EXPECT_EQ(list.GetVersion(), L"TNsShellList V7.1.0.530");
  list.SetVersion(L"something else");
  EXPECT_EQ(list.GetVersion(), L"TNsShellList V7.1.0.530");
  EXPECT_EQ(list.GetViewStyle(), vsReport);
  EXPECT_TRUE(list.GetMultiSelect());
  EXPECT_EQ(list.GetAllocBy(), 32);
  EXPECT_TRUE(list.GetAutoArrange());
  EXPECT_FALSE(list.GetReadOnly());
  EXPECT_FALSE(list.GetParentFont());
  EXPECT_EQ(list.GetSortColumn(), 0);
  EXPECT_FALSE(list.GetReverseSortOrder());
  EXPECT_FALSE(list.GetBrowser()->GetShowErrorMessages());
  // A list made in code is filled by its first navigation, not before.
  EXPECT_EQ(list.GetItems().Count(), 0);
  EXPECT_EQ(list.GetSmallImages()->GetWidth(), GetSystemMetrics(SM_CXSMICON));
}

TEST_F(ShellListTest, FillsWithTheInFolderNamesAndTheColumnTextsOfTheDrawnItems) {
  temp.MakeFile(L"b.txt", "hello");
  temp.MakeFile(L"a.doc", "x");
  temp.MakeFolder(L"sub");
  Show(temp.Path());
  Names captions = view.Captions();
  std::sort(captions.begin(), captions.end());
  EXPECT_EQ(captions, (Names{L"a.doc", L"b.txt", L"sub"}));
  EXPECT_TRUE(view.ItemNamed(L"sub")->GetIsFolder());
  EXPECT_FALSE(view.ItemNamed(L"b.txt")->GetIsFolder());
  EXPECT_EQ(list->GetPath(), Folder());
  EXPECT_EQ(list->GetSpecialFolder(), SF_FILESYSTEMFOLDER);

  view.Draw();
  TNsShellListItem* item = view.ItemNamed(L"b.txt");
  ASSERT_TRUE(PumpMessagesUntil([&] { return item->GetInitialized(); }));
  ASSERT_EQ(item->GetSubItems().GetCount(), list->GetNumColumns() - 1);
  TNsBrowser browser(nullptr);
  browser.SetFolder(temp.Path());
  browser.SetObjectName(L"b.txt");
  for (int column = 1; column < list->GetNumColumns(); ++column) {
    EXPECT_EQ(item->GetSubItems().Get(column - 1), browser.GetColumnText(list->GetShellColumnNumber(column), false));
    EXPECT_EQ(view.WindowText(item->GetIndex(), column), item->GetSubItems().Get(column - 1));
  }
  EXPECT_EQ(list->GetFullPath(item), temp / L"b.txt");
  EXPECT_EQ(item->GetPath(), temp / L"b.txt");
}

TEST_F(ShellListTest, RowsFirstDrawnInAnotherViewShowTheirDetailsInTheDetailsView) {
  MakeFiles(3);
  temp.MakeFolder(L"sub");
  list->SetViewStyle(vsList);
  Show(temp.Path());
  view.Draw();
  ASSERT_TRUE(PumpMessagesUntil([&] { return view.ItemNamed(L"file0001.txt")->GetInitialized(); }));
  list->SetViewStyle(vsReport);
  view.Draw();
  TNsBrowser browser(nullptr);
  browser.SetFolder(temp.Path());
  for (const wchar_t* name : {L"file0000.txt", L"file0002.txt", L"sub"}) {
    const int index = view.IndexOf(name);
    browser.SetObjectName(name);
    for (int column = 1; column < list->GetNumColumns(); ++column)
      EXPECT_EQ(view.WindowText(index, column), browser.GetColumnText(list->GetShellColumnNumber(column), false))
          << name << " column " << column;
  }
}

TEST_F(ShellListTest, TheShowOptionsAndShowFoldersFilterTheItems) {
  temp.MakeFile(L"plain.txt", "x");
  temp.MakeFile(L"hidden.txt", "x");
  SetFileAttributesW((temp / L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  temp.MakeFolder(L"folder");
  temp.MakeFolder(L"RECYCLER");
  SetFileAttributesW((temp / L"RECYCLER").c_str(), FILE_ATTRIBUTE_HIDDEN);
  auto shown = [&] {
    Names names = view.Captions();
    std::sort(names.begin(), names.end());
    return names;
  };
  Show(temp.Path());
  EXPECT_EQ(shown(), (Names{L"folder", L"plain.txt"}));
  list->SetShowHidden(true);
  EXPECT_EQ(shown(), (Names{L"RECYCLER", L"folder", L"hidden.txt", L"plain.txt"}));
  // Without the recycle bin, hidden folders named RECYCL... go too.
  list->SetShowRecycleBin(false);
  EXPECT_EQ(shown(), (Names{L"folder", L"hidden.txt", L"plain.txt"}));
  list->SetShowFiles(false);
  EXPECT_EQ(shown(), (Names{L"folder"}));
  list->SetShowFiles(true);
  list->SetShowFolders(false);
  EXPECT_EQ(shown(), (Names{L"hidden.txt", L"plain.txt"}));
  EXPECT_EQ(list->GetShowOptions().Value(), (TNsShellShowOptions{soShowNethood, soShowHidden, soShowFiles}.Value()));
}

TEST_F(ShellListTest, TheParentFolderItemComesFirstInBothDirectionsExceptOnTheDesktop) {
  list->SetShowParentFolder(true);
  Show(temp.Path());
  // An empty folder shows only the parent-folder item.
  EXPECT_EQ(view.Captions(), (Names{L" .. "}));
  TNsShellListItem* parent = list->GetItems()[0];
  EXPECT_TRUE(parent->GetIsParentFolderItem());
  EXPECT_TRUE(parent->GetIsFolder());
  EXPECT_EQ(parent->GetCheckState(), ssDisabled);
  EXPECT_EQ(parent->GetRelativePIDL(), nullptr);

  MakeFiles(5);
  temp.MakeFolder(L"a folder");
  list->FullRefresh();
  for (int column = 0; column < list->GetNumColumns(); ++column) {
    for (bool reverse : {false, true}) {
      list->SetSortColumn(column);
      list->SetReverseSortOrder(reverse);
      EXPECT_EQ(list->GetItems()[0]->GetCaption(), L" .. ") << "column " << column << " reversed " << reverse;
    }
  }
  // Selecting everything reads no name for the parent-folder item.
  list->SelectAll();
  EXPECT_EQ(list->GetSelectedFiles()->GetCount(), 6);

  list->SetSpecialFolder(SF_DESKTOP);
  EXPECT_EQ(view.IndexOf(L" .. "), -1);
  list->SetPath(temp.Path());
  EXPECT_EQ(view.IndexOf(L" .. "), 0);
  TNsShellLink link(nullptr);
  link.SetShowParentFolderItem(false);
  list->SetShellLink(&link);
  list->FullRefresh();
  EXPECT_EQ(view.IndexOf(L" .. "), -1);
  list->SetShellLink(nullptr);
}

TEST_F(ShellListTest, SettingTheSamePathAgainRefillsOnlyANearlyEmptyList) {
  temp.MakeFile(L"one.txt");
  Show(temp.Path());
  ASSERT_EQ(list->GetItems().Count(), 1);
  temp.MakeFile(L"two.txt");
  // One item: the same path (other case, no trailing delimiter) refills.
  list->SetPath(temp.Path() + L"\\");
  ASSERT_EQ(list->GetItems().Count(), 2);
  temp.MakeFile(L"three.txt");
  std::wstring other = temp.Path();
  std::transform(other.begin(), other.end(), other.begin(), ::towupper);
  list->SetPath(other);
  EXPECT_EQ(list->GetItems().Count(), 2);
  list->SetPath(temp.Path() + L"\\");
  EXPECT_EQ(list->GetItems().Count(), 2);
  list->FullRefresh();
  EXPECT_EQ(list->GetItems().Count(), 3);
}

TEST_F(ShellListTest, NavigatesByPathSpecialFolderAndFolderIdList) {
  temp.MakeFolder(L"inner");
  temp.MakeFile(L"inner\\deep.txt");
  list->SetSpecialFolder(SF_DESKTOP);
  EXPECT_EQ(list->GetSpecialFolder(), SF_DESKTOP);
  EXPECT_GT(list->GetItems().Count(), 0);

  list->SetSpecialFolder(SF_DRIVES);
  EXPECT_EQ(list->GetSpecialFolder(), SF_DRIVES);
  EXPECT_EQ(list->GetPath(), L"");
  const Names drives = view.Captions();
  EXPECT_NE(std::find_if(drives.begin(), drives.end(),
                         [](const std::wstring& c) { return c.find(L"(C:)") != std::wstring::npos; }),
            drives.end());
  // SF_FILESYSTEMFOLDER keeps the folder and only refreshes it.
  list->SetSpecialFolder(SF_FILESYSTEMFOLDER);
  EXPECT_EQ(list->GetSpecialFolder(), SF_DRIVES);

  Show(temp.Path());
  TPidl inner(CopyItemIdList(view.ItemNamed(L"inner")->GetAbsolutePIDL()));
  list->SetFolderIdList(inner.Get());
  EXPECT_EQ(list->GetPath(), temp / L"inner\\");
  EXPECT_EQ(view.Captions(), (Names{L"deep.txt"}));
  EXPECT_EQ(ItemIdListToPath(list->GetFolderIdList()), temp / L"inner");

  // The recycle bin is a virtual folder with columns of its own.
  list->SetSpecialFolder(SF_BITBUCKET);
  EXPECT_EQ(list->GetSpecialFolder(), SF_BITBUCKET);
  EXPECT_GT(list->GetNumColumns(), 1);
}

TEST_F(ShellListTest, GoUpSelectsTheFolderItCameFrom) {
  temp.MakeFolder(L"alpha");
  temp.MakeFolder(L"beta");
  temp.MakeFolder(L"gamma");
  temp.MakeFile(L"beta\\inside.txt");
  Show(temp / L"beta");
  EXPECT_TRUE(list->GoUp());
  EXPECT_EQ(list->GetPath(), Folder());
  EXPECT_EQ(view.SelectedCaptions(), (Names{L"beta"}));
  EXPECT_EQ(list->GetSelected(), view.ItemNamed(L"beta"));
  EXPECT_TRUE(list->GetSelected()->GetFocused());
}

TEST_F(ShellListTest, TheHistoryMovesBackAndForwardWithoutGrowing) {
  temp.MakeFolder(L"one");
  temp.MakeFolder(L"two");
  Show(temp.Path());
  Show(temp / L"one");
  Show(temp / L"two");
  TPidlHistory& history = *list->GetHistory();
  const int count = history.GetCount();
  ASSERT_GE(count, 3);
  EXPECT_TRUE(list->IsMovePossible(-2));
  EXPECT_FALSE(list->IsMovePossible(1));
  list->MoveInHistory(-1);
  EXPECT_EQ(list->GetPath(), temp / L"one\\");
  EXPECT_EQ(history.GetCount(), count);
  EXPECT_TRUE(list->IsMovePossible(1));
  EXPECT_FALSE(list->IsMovePossible(2));
  list->MoveInHistory(-1);
  EXPECT_EQ(list->GetPath(), Folder());
  list->MoveInHistory(2);
  EXPECT_EQ(list->GetPath(), temp / L"two\\");
  EXPECT_EQ(history.GetCount(), count);
  // A new move cuts the entries after the current one.
  list->MoveInHistory(-2);
  Show(temp / L"two");
  EXPECT_EQ(history.GetCount(), count - 1);
  EXPECT_FALSE(list->IsMovePossible(1));
}

TEST_F(ShellListTest, SelectedFilesAreReadAndWrittenByNameAndSurviveAFullRefresh) {
  MakeFiles(8);
  Show(temp.Path());
  TStringList names;
  names.Add(L"file0002.txt");
  names.Add(L"no such file.txt");
  names.Add(L"file0005.txt");
  list->SetSelectedFiles(names);
  EXPECT_EQ(view.SelectedCaptions(), (Names{L"file0002.txt", L"file0005.txt"}));
  list->FullRefresh();
  EXPECT_EQ(view.SelectedCaptions(), (Names{L"file0002.txt", L"file0005.txt"}));
  // Read back from a selection the user made.
  list->GetItems()[0]->SetSelected(false);
  for (int i = 0; i < list->GetItems().Count(); ++i) list->GetItems()[i]->SetSelected(i == 3);
  TStringList* read = list->GetSelectedFiles();
  ASSERT_EQ(read->GetCount(), 1);
  EXPECT_EQ(read->Get(0), list->GetItems()[3]->GetCaption());
  // An empty list only clears the selection.
  list->SetSelectedFiles(TStringList());
  EXPECT_TRUE(view.SelectedCaptions().empty());
  EXPECT_EQ(list->GetSelectedFiles()->GetCount(), 0);
}

TEST_F(ShellListTest, ANameWhoseLastPartFailsLeavesTheListOnItsFolder) {
  MakeFiles(2);
  temp.MakeFolder(L"inner");
  temp.MakeFile(L"inner\\deep.txt");
  Show(temp.Path());
  TStringList names;
  names.Add(temp / L"inner\\no such file.txt");
  names.Add(L"file0001.txt");
  list->SetSelectedFiles(names);
  EXPECT_EQ(view.SelectedCaptions(), (Names{L"file0001.txt"}));
  EXPECT_EQ(list->GetPath(), Folder());
  list->FullRefresh();
  Names captions = view.Captions();
  std::sort(captions.begin(), captions.end());
  EXPECT_EQ(captions, (Names{L"file0000.txt", L"file0001.txt", L"inner"}));
}

TEST_F(ShellListTest, SelectAllTellsTheLinkOfNoSingleFileOnTheWay) {
  MakeFiles(4);
  temp.MakeFolder(L"alone");
  temp.MakeFile(L"alone\\only.txt");
  TNsShellLink link(nullptr);
  TRecordingControl other;
  link.RegisterShellControl(&other);
  list->SetShellLink(&link);
  Show(temp.Path());
  other.Calls.clear();
  list->SelectAll();
  EXPECT_EQ(list->GetSelCount(), 5);
  EXPECT_TRUE(other.Calls.empty());
  // With one item, selecting all selects that one file.
  Show(temp / L"alone");
  other.Calls.clear();
  list->SelectAll();
  EXPECT_EQ(other.Calls, (Names{L"FileChanged " + temp / L"alone\\only.txt"}));
  list->SetShellLink(nullptr);
}

TEST_F(ShellListTest, ItemQueriesAnswerForItemsAndNeutrallyForNone) {
  temp.MakeFile(L"ten.bin", std::string(10, 'x'));
  temp.MakeFile(L"twenty.bin", std::string(20, 'x'));
  temp.MakeFolder(L"folder");
  list->SetShowParentFolder(true);
  Show(temp.Path());
  const int folder = view.IndexOf(L"folder");
  EXPECT_TRUE(list->IsFolder(folder));
  EXPECT_FALSE(list->IsFolder(view.IndexOf(L"ten.bin")));
  EXPECT_FALSE(list->IsFolder(nullptr));
  EXPECT_FALSE(list->IsSpecialObject(folder));
  EXPECT_FALSE(list->IsSpecialObject(nullptr));
  EXPECT_EQ(list->GetFullPath(nullptr), L"");
  EXPECT_EQ(list->GetFullPath(-1), L"");
  EXPECT_EQ(list->GetFullPath(folder), temp / L"folder");
  EXPECT_EQ(list->GetItemSelectionState(0), ssDisabled);
  EXPECT_EQ(list->GetItemSelectionState(folder), ssUnused);
  list->SelectAll();
  EXPECT_EQ(list->SelectedFilesSize(), 30);
  EXPECT_EQ(list->IndexOfPIDL(nullptr), -1);
  EXPECT_EQ(list->IndexOfPIDL(list->GetItems()[folder]->GetRelativePIDL()), folder);
  TNsShellListItem* next = list->GetItems()[0]->GetNextItem(sdAll, LVNI_ALL);
  EXPECT_EQ(next, list->GetItems()[1]);

  list->SetSpecialFolder(SF_DESKTOP);
  bool anySpecial = false;
  for (int i = 0; i < list->GetItems().Count(); ++i) anySpecial = anySpecial || list->IsSpecialObject(i);
  EXPECT_TRUE(anySpecial);  // My Computer, the recycle bin
}

TEST_F(ShellListTest, SmartRefreshAddsAndRemovesItemsKeepingTheOthersAndTheirSelection) {
  MakeFiles(500);
  Show(temp.Path());
  ASSERT_EQ(list->GetItems().Count(), 500);
  TNsShellListItem* kept1 = view.ItemNamed(L"file0010.txt");
  TNsShellListItem* kept2 = view.ItemNamed(L"file0400.txt");
  kept1->SetSelected(true);
  kept2->SetSelected(true);
  std::vector<TNsShellListItem*> before;
  for (int i = 0; i < 500; ++i) before.push_back(list->GetItems()[i]);
  TNsShellListItem* gone = view.ItemNamed(L"file0005.txt");
  ASSERT_TRUE(DeleteFileW((temp / L"file0005.txt").c_str()));
  temp.MakeFile(L"new file.txt");

  list->SmartRefresh();
  ASSERT_EQ(list->GetItems().Count(), 500);
  std::vector<TNsShellListItem*> after;
  for (int i = 0; i < 499; ++i) after.push_back(list->GetItems()[i]);
  before.erase(std::find(before.begin(), before.end(), gone));
  EXPECT_EQ(after, before);  // the same items, in the same order
  EXPECT_EQ(list->GetItems()[499]->GetCaption(), L"new file.txt");
  EXPECT_EQ(view.SelectedCaptions(), (Names{L"file0010.txt", L"file0400.txt"}));
  EXPECT_EQ(view.IndexOf(L"file0005.txt"), -1);
}

TEST_F(ShellListTest, SmartRefreshOfMoreThan500ItemsRebuildsTheList) {
  MakeFiles(501);
  Show(temp.Path());
  ASSERT_EQ(list->GetItems().Count(), 501);
  int marker = 0;
  for (int i = 0; i < 501; ++i) list->GetItems()[i]->SetData(&marker);
  temp.MakeFile(L"one more.txt");
  list->SmartRefresh();
  ASSERT_EQ(list->GetItems().Count(), 502);
  for (int i = 0; i < 502; ++i) ASSERT_EQ(list->GetItems()[i]->GetData(), nullptr);
}

TEST_F(ShellListTest, SmartRefreshReportsTheItemsMarkedCutThatWent) {
  MakeFiles(3);
  Show(temp.Path());
  std::vector<TNsShellOperations> operations;
  Names files;
  list->OnOperation = [&](TObject*, TNsShellOperations operation, TStringList* paths, const std::wstring& target) {
    operations.push_back(operation);
    for (int i = 0; i < paths->GetCount(); ++i) files.push_back(paths->Get(i));
    EXPECT_EQ(target, L"");
  };
  view.ItemNamed(L"file0001.txt")->SetCut(true);
  view.ItemNamed(L"file0002.txt")->SetCut(true);
  DeleteFileW((temp / L"file0001.txt").c_str());
  DeleteFileW((temp / L"file0000.txt").c_str());
  list->SmartRefresh();
  EXPECT_EQ(view.Captions(), (Names{L"file0002.txt"}));
  ASSERT_EQ(operations.size(), 1u);
  EXPECT_EQ(operations[0], (TNsShellOperations{sopCut, sopRemove}));
  EXPECT_EQ(files, (Names{temp / L"file0001.txt"}));
}

TEST_F(ShellListTest, TheLinkHearsOfMovesAndSingleSelectionsAndMovesTheList) {
  temp.MakeFolder(L"one");
  temp.MakeFolder(L"two");
  temp.MakeFile(L"two\\file.txt");
  TNsShellLink link(nullptr);
  TRecordingControl other;
  link.RegisterShellControl(&other);
  list->SetShellLink(&link);
  EXPECT_EQ(link.ControlCount(), 2);
  int pathEvents = 0;
  list->OnPathChanged = [&](TObject* sender) {
    EXPECT_EQ(sender, list);
    ++pathEvents;
  };

  Show(temp / L"one");
  EXPECT_EQ(other.Calls, (Names{L"PathChanged " + temp / L"one"}));
  EXPECT_EQ(pathEvents, 1);
  other.Calls.clear();

  Show(temp / L"two");
  other.Calls.clear();
  view.ItemNamed(L"file.txt")->SetSelected(true);
  EXPECT_EQ(other.Calls, (Names{L"FileChanged " + temp / L"two\\file.txt"}));

  // The link moves the list: the folder, then the file in it.
  other.Calls.clear();
  TNsBrowser browser(nullptr);
  browser.SetFolder(temp / L"two");
  browser.SetObjectName(L"file.txt");
  TPidl folder(browser.GetFolderIdList());
  TPidl file(browser.GetItemIdList());
  Show(temp / L"one");
  other.Calls.clear();
  link.FileChanged(&other, folder.Get(), file.Get());
  EXPECT_EQ(list->GetPath(), temp / L"two\\");
  EXPECT_EQ(view.SelectedCaptions(), (Names{L"file.txt"}));
  EXPECT_TRUE(other.Calls.empty());  // the list's own reports were dropped

  // Nothing is no folder; a folder the list cannot show (a file) leaves the
  // list empty, without an error.
  link.PathChanged(&other, nullptr);
  EXPECT_EQ(list->GetPath(), temp / L"two\\");
  TPidl notAFolder(ConcatItemIdLists(folder.Get(), file.Get()));
  EXPECT_NO_THROW(link.PathChanged(&other, notAFolder.Get()));
  EXPECT_EQ(list->GetItems().Count(), 0);

  list->SetShellLink(nullptr);
  EXPECT_EQ(link.ControlCount(), 1);
}

TEST_F(ShellListTest, APathThatDoesNotExistRaisesTheBrowsersErrorAndLeavesTheList) {
  MakeFiles(3);
  Show(temp.Path());
  EXPECT_THROW(list->SetPath(temp / L"no such folder"), ENsBrowserError);
  EXPECT_EQ(list->GetPath(), Folder());
  EXPECT_EQ(list->GetItems().Count(), 3);
  // Past 260 characters the shell cannot parse the path: the same error.
  std::wstring deep = temp.Path();
  while (deep.size() < 300) {
    deep += L"\\a-long-folder-name";
    ASSERT_TRUE(CreateDirectoryW(LongPath(deep).c_str(), nullptr));
  }
  EXPECT_THROW(list->SetPath(deep), ENsBrowserError);
  EXPECT_EQ(list->GetPath(), Folder());
  EXPECT_EQ(list->GetItems().Count(), 3);
}

TEST_F(ShellListTest, AFolderDeletedWhileShownEmptiesTheListOnRefresh) {
  temp.MakeFolder(L"doomed");
  temp.MakeFile(L"doomed\\a.txt");
  temp.MakeFile(L"doomed\\b.txt");
  Show(temp / L"doomed");
  ASSERT_EQ(list->GetItems().Count(), 2);
  RemoveTree(temp / L"doomed");
  list->SmartRefresh();
  EXPECT_EQ(list->GetItems().Count(), 0);
  list->FullRefresh();
  EXPECT_EQ(list->GetItems().Count(), 0);
}

TEST_F(ShellListTest, NamesBeyondAsciiAreShownAndSelectedAsTheyAre) {
  const std::wstring name = L"\x00FCn\x00EFc\x00F8d\x00E9 \x20AC \x0416\x4E2D.txt";
  temp.MakeFile(name);
  temp.MakeFolder(L"\x00C5ngstr\x00F6m");
  Show(temp.Path());
  Names captions = view.Captions();
  std::sort(captions.begin(), captions.end());
  EXPECT_EQ(captions, (Names{L"\x00C5ngstr\x00F6m", name}));
  TStringList names;
  names.Add(name);
  list->SetSelectedFiles(names);
  EXPECT_EQ(view.SelectedCaptions(), (Names{name}));
  EXPECT_EQ(list->GetFullPath(view.IndexOf(name)), temp / name);
  list->SetPath(temp / L"\x00C5ngstr\x00F6m");
  EXPECT_TRUE(list->GoUp());
  EXPECT_EQ(view.SelectedCaptions(), (Names{L"\x00C5ngstr\x00F6m"}));
}

TEST_F(ShellListTest, FoldersDeeperThanTheShellCanShowStayEmptyWithoutAnError) {
  // Reached item by item, as the user would: past 260 characters Wine's
  // shell lists nothing, and the list shows that.
  std::wstring path = temp.Path();
  for (int i = 0; i < 10; ++i) {
    path += L"\\level-" + std::to_wstring(i) + L"-with-a-long-folder-name";
    ASSERT_TRUE(CreateDirectoryW(LongPath(path).c_str(), nullptr));
  }
  Show(temp.Path());
  for (int level = 0; level < 10 && list->GetItems().Count() > 0; ++level) {
    TPidl next(CopyItemIdList(list->GetItems()[0]->GetAbsolutePIDL()));
    ASSERT_NO_THROW(list->SetFolderIdList(next.Get()));
  }
  EXPECT_LE(list->GetItems().Count(), 1);
}

TEST_F(ShellListTest, AnItemClassNotDerivedFromTheShellItemIsRefused) {
  MakeFiles(1);
  list->OnCreateItemClass = [](TCustomListView*, TListItemClass& itemClass) {
    itemClass = [](TListItems* owner) { return new TListItem(owner); };
  };
  try {
    Show(temp.Path());
    FAIL() << "no error";
  } catch (const EInvalidArgument& error) {
    EXPECT_EQ(error.Message(), L"Internal Error: TNsShellList.OnCreateNodeClass.ItemClass must inherit from TNsShellListItem.");
  }
  // A class of its own that derives from the shell item is taken.
  struct TMyItem : TNsShellListItem {
    using TNsShellListItem::TNsShellListItem;
  };
  list->OnCreateItemClass = [](TCustomListView*, TListItemClass& itemClass) {
    itemClass = [](TListItems* owner) { return new TMyItem(owner); };
  };
  list->FullRefresh();
  EXPECT_EQ(list->GetItems().Count(), 1);
}

TEST_F(ShellListTest, TheSmallIconStyleBecomesTheListStyle) {
  list->SetViewStyle(vsSmallIcon);
  EXPECT_EQ(list->GetViewStyle(), vsList);
  EXPECT_EQ(GetWindowLongPtrW(list->GetHandle(), GWL_STYLE) & LVS_TYPEMASK, LVS_LIST);
  list->SetViewStyle(vsIcon);
  EXPECT_EQ(list->GetViewStyle(), vsIcon);
}

TEST_F(ShellListTest, ReCreatingTheWindowRefillsAndRegistersWithTheLinkAgain) {
  MakeFiles(3);
  TNsShellLink link(nullptr);
  list->SetShellLink(&link);
  Show(temp.Path());
  int populated = 0;
  list->OnPopulated = [&](TObject*) { ++populated; };
  temp.MakeFile(L"later.txt");
  link.UnregisterShellControl(list);
  list->RecreateWnd();
  EXPECT_EQ(populated, 1);
  EXPECT_EQ(list->GetItems().Count(), 4);
  EXPECT_EQ(link.ControlCount(), 1);
  EXPECT_EQ(SendMessageW(list->GetHandle(), LVM_GETITEMCOUNT, 0, 0), 4);
  list->SetShellLink(nullptr);
}

TEST_F(ShellListTest, LoadingTakesThePathAtTheEndUnlessNoFillOnStartup) {
  MakeFiles(2);
  list->BeginLoading();
  list->SetPath(temp.Path());
  EXPECT_EQ(list->GetPath(), temp.Path());
  EXPECT_EQ(list->GetSpecialFolder(), SF_FILESYSTEMFOLDER);
  EXPECT_EQ(list->GetItems().Count(), 0);
  list->EndLoading();
  EXPECT_EQ(list->GetPath(), Folder());
  EXPECT_EQ(list->GetItems().Count(), 2);

  // Set before the window is made, NoFillOnStartup keeps the end of loading
  // from filling the list.
  TForm form(nullptr);
  auto* quiet = new TNsShellList(&form);
  quiet->SetNoFillOnStartup(true);
  quiet->SetParent(&form);
  form.Show();
  quiet->BeginLoading();
  quiet->EndLoading();
  EXPECT_EQ(quiet->GetItems().Count(), 0);
  TListForm third;
  third.List->BeginLoading();
  third.List->EndLoading();
  EXPECT_GT(third.List->GetItems().Count(), 0);  // the computer folder
}

TEST_F(ShellListTest, FullRefreshDoesNothingWhileDisabledAndReportsItsSteps) {
  MakeFiles(2);
  Show(temp.Path());
  Names steps;
  list->OnBeforeFullRefresh = [&](TObject*) { steps.push_back(L"before"); };
  list->OnCreateColumns = [&](TObject*) { steps.push_back(L"columns"); };
  list->OnAddItem = [&](TObject*, TNsShellListItem* item, bool& canAdd) {
    steps.push_back(L"add " + item->GetCaption());
    canAdd = item->GetCaption() != L"file0000.txt";
  };
  list->OnPopulated = [&](TObject*) { steps.push_back(L"populated"); };
  list->SetEnabled(false);
  list->FullRefresh();
  EXPECT_TRUE(steps.empty());
  list->SetEnabled(true);
  list->FullRefresh();
  EXPECT_EQ(steps, (Names{L"before", L"columns", L"add file0000.txt", L"add file0001.txt", L"populated"}));
  EXPECT_EQ(view.Captions(), (Names{L"file0001.txt"}));
  EXPECT_EQ(ScreenCursor(), crDefault);
}

TEST_F(ShellListTest, AFailingFillRestoresTheCursorAndStaysUsable) {
  MakeFiles(2);
  Show(temp.Path());
  list->OnAddItem = [](TObject*, TNsShellListItem*, bool&) { throw EAbort(L"stop"); };
  EXPECT_THROW(list->FullRefresh(), EAbort);
  EXPECT_EQ(ScreenCursor(), crDefault);
  list->OnAddItem = nullptr;
  // A new fill enumerates from the start again.
  list->FullRefresh();
  EXPECT_EQ(list->GetItems().Count(), 2);
  list->SmartRefresh();
  EXPECT_EQ(list->GetItems().Count(), 2);
}

// On a namespace the test sets up: answers Wine's shell does not give.
struct ShellListFakeTest : ::testing::Test {
  TFakeNamespace space;
  TFakeItem* folder = nullptr;
  TListForm view;
  TNsShellList* list = view.List;

  ShellListFakeTest() {
    list->SetAutomaticRefresh(false);
    folder = &space.Add(space.Desktop(), L"Folder", SFGAO_FOLDER);
    for (int i = 0; i < 40; ++i) space.Add(*folder, L"item " + std::to_wstring(10 + i), 0);
  }
  void ShowFolder() {
    TPidl shown(space.AbsoluteList(*folder));
    list->SetFolderIdList(shown.Get());
  }
};

TEST_F(ShellListFakeTest, AFailedComparisonFindsNoItem) {
  ShowFolder();
  ASSERT_EQ(list->GetItems().Count(), 40);
  TPidl third(CopyItemIdList(list->GetItems()[2]->GetRelativePIDL()));
  EXPECT_EQ(list->IndexOfPIDL(third.Get()), 2);
  // A failure whose low word is 0 is no answer that the items are the same.
  space.CompareIDsFails = true;
  space.CompareIDsAnswer = E_FAIL & 0xFFFF0000;
  EXPECT_EQ(list->IndexOfPIDL(third.Get()), -1);
  list->SelectItemByPIDL(third.Get());
  EXPECT_EQ(list->GetSelCount(), 0);
  TStringList names;
  names.Add(L"item 12");
  list->SetSelectedFiles(names);
  EXPECT_EQ(list->GetSelCount(), 0);
  space.CompareIDsFails = false;
  list->SetSelectedFiles(names);
  EXPECT_EQ(view.SelectedCaptions(), (Names{L"item 12"}));
}

TEST_F(ShellListFakeTest, AFillLooksEachSpecialFolderUpOnce) {
  TFakeItem& bin = space.Add(*folder, L"Recycle Bin", SFGAO_FOLDER);
  space.SetSpecial(CSIDL_BITBUCKET, bin);
  list->SetShowRecycleBin(false);
  list->SetShowNethood(false);
  ShowFolder();
  EXPECT_EQ(list->GetItems().Count(), 40);  // the recycle bin is not shown
  space.Counters.SpecialFolderLookups = 0;
  list->FullRefresh();
  EXPECT_EQ(list->GetItems().Count(), 40);
  // The three folders the filter looks for, and the folder's own kind at most.
  EXPECT_LE(space.Counters.SpecialFolderLookups, 3 + SpecialFolderCount);
  space.Counters.SpecialFolderLookups = 0;
  list->SmartRefresh();
  EXPECT_EQ(list->GetItems().Count(), 40);
  EXPECT_LE(space.Counters.SpecialFolderLookups, 3 + SpecialFolderCount);
}

}  // namespace
}  // namespace ts::test
