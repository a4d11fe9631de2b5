// The selection list on folder trees the tests make: what selecting and
// unselecting leave as entries, the states read from them, renames, the
// update bracket and the link that owns the list.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "link/NsSelectionList.h"
#include "link/NsShellLink.h"
#include "link/SelectionStatePrinter.h"
#include "shell/ItemIdListPaths.h"
#include "shell/PathClassification.h"
#include "shell/SpecialFolders.h"
#include "support/TempFolder.h"
#include "toolkit/ComPtr.h"
#include "toolkit/Exception.h"
#include "toolkit/Strings.h"

namespace ts::test {
namespace {

std::vector<std::wstring> SortedEntries(const TNsSelectionList& list) {
  std::vector<std::wstring> entries;
  for (int i = 0; i < list.GetCount(); ++i) entries.push_back(list.GetPaths().Get(i));
  std::sort(entries.begin(), entries.end());
  return entries;
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> paths) {
  std::sort(paths.begin(), paths.end());
  return paths;
}

// area\root\a: f1.txt f2.txt b\(g1.txt g2.txt c\h.txt) empty\ ; area\root\x.txt; area\outside.txt.
// The test's own folder also holds a file that is never selected, so that a
// climb that completes area stops there whatever else the temporary folder holds.
class SelectionTree : public ::testing::Test {
protected:
  SelectionTree() {
    temp.MakeFile(L"area\\root\\a\\f1.txt", "1");
    temp.MakeFile(L"area\\root\\a\\f2.txt", "22");
    temp.MakeFile(L"area\\root\\a\\b\\g1.txt", "333");
    temp.MakeFile(L"area\\root\\a\\b\\g2.txt", "4444");
    temp.MakeFile(L"area\\root\\a\\b\\c\\h.txt", "55555");
    temp.MakeFolder(L"area\\root\\a\\empty");
    temp.MakeFile(L"area\\root\\x.txt", "666666");
    temp.MakeFile(L"area\\outside.txt", "7");  // so that root alone does not complete area
    temp.MakeFile(L"never selected.txt", "8");
    area = temp / L"area";
    root = area + L"\\root";
    a = root + L"\\a";
    b = a + L"\\b";
    list.SetCalculateSelectedFiles(false);
  }

  TTempFolder temp;
  std::wstring area, root, a, b;
  TNsSelectionList list{nullptr};
};

TEST_F(SelectionTree, AFolderIsOneEntryAndCoversWhatIsBelowIt) {
  list.AddPathToSelection(a);
  EXPECT_EQ(SortedEntries(list), std::vector<std::wstring>{a + L"\\*"});
  list.AddPathToSelection(a + L"\\f1.txt");  // selected already
  list.AddPathToSelection(b + L"\\");
  EXPECT_EQ(list.GetCount(), 1);

  bool sub = false;
  EXPECT_EQ(list.GetSelectionState(a, sub), ssChecked);
  EXPECT_FALSE(sub);
  EXPECT_EQ(list.GetSelectionState(b + L"\\c\\h.txt", sub), ssChecked);
  EXPECT_TRUE(sub);
  EXPECT_EQ(list.GetSelectionState(root, sub), ssGrayed);
  EXPECT_FALSE(sub);
  EXPECT_EQ(list.IsPathSelected(root + L"\\x.txt"), ssUnChecked);
  EXPECT_EQ(list.IsPathSelected(area), ssGrayed);
}

TEST_F(SelectionTree, WhatCannotBeSelectedReadsDisabledAndIsNotAdded) {
  for (const std::wstring& path : {std::wstring(), root + L"\\missing.txt", root + L"\\*.txt", root + L"\\?.txt",
                                   std::wstring(L"a\\f1.txt"), std::wstring(L"."), std::wstring(L"..")}) {
    EXPECT_EQ(list.IsPathSelected(path), ssDisabled) << path;
    list.AddPathToSelection(path);
  }
  EXPECT_EQ(list.GetCount(), 0);
  // A pattern would have matched x.txt.
  EXPECT_EQ(list.IsPathSelected(root + L"\\x.txt"), ssUnChecked);
  // Unselecting what is not selected does nothing.
  list.AddPathToSelection(root + L"\\x.txt");
  list.RemovePathFromSelection(a + L"\\f1.txt");
  list.RemovePathFromSelection(root + L"\\nothing");
  EXPECT_EQ(SortedEntries(list), std::vector<std::wstring>{root + L"\\x.txt"});
}

TEST_F(SelectionTree, SelectingEveryItemOfAFolderCompletesItUpwards) {
  list.AddPathToSelection(b + L"\\g1.txt");
  list.AddPathToSelection(b + L"\\c\\h.txt");  // completes c
  EXPECT_EQ(SortedEntries(list), Sorted({b + L"\\g1.txt", b + L"\\c\\*"}));
  list.AddPathToSelection(b + L"\\g2.txt");  // completes b
  EXPECT_EQ(SortedEntries(list), std::vector<std::wstring>{b + L"\\*"});
  list.AddPathToSelection(a + L"\\f1.txt");
  list.AddPathToSelection(a + L"\\f2.txt");
  // A folder with nothing in it is complete only once selected itself.
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list.IsPathSelected(a), ssGrayed);
  list.AddPathToSelection(a + L"\\empty");
  EXPECT_EQ(SortedEntries(list), std::vector<std::wstring>{a + L"\\*"});
  // root also holds x.txt: selecting it completes root, whose folder holds
  // more, so the climb ends there.
  list.AddPathToSelection(root + L"\\x.txt");
  EXPECT_EQ(SortedEntries(list), std::vector<std::wstring>{root + L"\\*"});
}

TEST_F(SelectionTree, SelectingAFolderReplacesTheEntriesBelowIt) {
  list.AddPathToSelection(b + L"\\g1.txt");
  list.AddPathToSelection(b + L"\\c");
  list.AddPathToSelection(area + L"\\outside.txt");
  list.AddPathToSelection(a);
  EXPECT_EQ(SortedEntries(list), Sorted({a + L"\\*", area + L"\\outside.txt"}));
  // With x.txt everything in area is: its entry is all that stays.
  list.AddPathToSelection(root + L"\\x.txt");
  EXPECT_EQ(SortedEntries(list), std::vector<std::wstring>{area + L"\\*"});
}

TEST_F(SelectionTree, UnselectingAnItemInsideASelectedFolderListsEverythingElse) {
  list.AddPathToSelection(a);
  list.RemovePathFromSelection(b + L"\\g1.txt");
  EXPECT_EQ(SortedEntries(list), Sorted({b + L"\\g2.txt", b + L"\\c\\*", a + L"\\f1.txt", a + L"\\f2.txt",
                                         a + L"\\empty\\*"}));
  EXPECT_EQ(list.IsPathSelected(b + L"\\g1.txt"), ssUnChecked);
  EXPECT_EQ(list.IsPathSelected(b), ssGrayed);
  EXPECT_EQ(list.IsPathSelected(a), ssGrayed);
  EXPECT_EQ(list.IsPathSelected(b + L"\\c\\h.txt"), ssChecked);

  // Checking it again makes it whole once more.
  list.AddPathToSelection(b + L"\\g1.txt");
  EXPECT_EQ(SortedEntries(list), std::vector<std::wstring>{a + L"\\*"});
}

TEST_F(SelectionTree, UnselectingByTheEntryOrAGrayedFolder) {
  list.AddPathToSelection(a);
  // A folder named as its entry is the folder itself.
  list.RemovePathFromSelection(b + L"\\*");
  EXPECT_EQ(SortedEntries(list), Sorted({a + L"\\f1.txt", a + L"\\f2.txt", a + L"\\empty\\*"}));
  list.AddPathToSelection(b);
  list.RemovePathFromSelection(a + L"\\*");
  EXPECT_EQ(list.GetCount(), 0);
  list.AddPathToSelection(b + L"\\g1.txt");
  list.AddPathToSelection(b + L"\\c\\h.txt");
  list.AddPathToSelection(root + L"\\x.txt");
  list.RemovePathFromSelection(a);  // grayed: everything below it goes
  EXPECT_EQ(SortedEntries(list), std::vector<std::wstring>{root + L"\\x.txt"});
}

void SaveShortcut(const std::wstring& linkPath, const std::wstring& target) {
  TComPtr<IShellLinkW> link;
  ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid()), S_OK);
  ASSERT_EQ(link->SetPath(target.c_str()), S_OK);
  TComPtr<IPersistFile> file;
  ASSERT_EQ(link.As(IID_IPersistFile, file), S_OK);
  ASSERT_EQ(file->Save(linkPath.c_str(), TRUE), S_OK);
}

TEST_F(SelectionTree, AFolderShortcutStandsForItsTargetOrReadsDisabled) {
  const std::wstring shortcut = temp.MakeFolder(L"shortcut to b");
  SaveShortcut(shortcut + L"\\target.lnk", b);
  list.AddPathToSelection(shortcut);
  ASSERT_EQ(list.GetCount(), 1);
  EXPECT_TRUE(SamePath(list.GetPaths().Get(0), b + L"\\*"));
  EXPECT_EQ(list.IsPathSelected(shortcut), ssChecked);
  EXPECT_EQ(list.IsPathSelected(b + L"\\g1.txt"), ssChecked);
  list.RemovePathFromSelection(shortcut);
  EXPECT_EQ(list.GetCount(), 0);
  // Inside a selected folder, the target is what is taken out.
  list.AddPathToSelection(a);
  list.RemovePathFromSelection(shortcut);
  EXPECT_EQ(SortedEntries(list), Sorted({a + L"\\f1.txt", a + L"\\f2.txt", a + L"\\empty\\*"}));
  list.SetHandleShellLinks(false);
  EXPECT_EQ(list.IsPathSelected(shortcut), ssDisabled);
}

TEST_F(SelectionTree, RenamesCarryTheEntriesAlong) {
  list.AddPathToSelection(b);
  list.AddPathToSelection(a + L"\\f1.txt");
  list.AddPathToSelection(root + L"\\x.txt");
  // The shell may name the old folder in another case.
  list.PathWasRenamed(UpperCase(a), root + L"\\z");
  EXPECT_EQ(SortedEntries(list), Sorted({root + L"\\z\\b\\*", root + L"\\z\\f1.txt", root + L"\\x.txt"}));
  list.PathWasRenamed(root + L"\\x.txt", root + L"\\y.txt");
  EXPECT_EQ(list.GetPaths().IndexOf(root + L"\\y.txt"), 2);
}

TEST_F(SelectionTree, OneChangeEventPerOperationAndTheLinkIsToldOutsideUpdates) {
  int changes = 0;
  list.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    ++changes;
  };
  list.AddPathToSelection(b + L"\\g1.txt");
  list.AddPathToSelection(b + L"\\g2.txt");
  list.AddPathToSelection(b + L"\\c");  // completes b through nested additions
  EXPECT_EQ(changes, 3);
  list.RemovePathFromSelection(b + L"\\c\\h.txt");
  EXPECT_EQ(changes, 4);
  list.BeginUpdate();
  list.BeginUpdate();
  list.EndUpdate();  // the two do not nest
  EXPECT_EQ(changes, 5);
  list.Clear();
  EXPECT_EQ(changes, 6);
}

TEST_F(SelectionTree, PathsWriteAssignAndCopy) {
  TStringList paths;
  paths.Add(a + L"\\f1.txt");
  paths.Add(root + L"\\missing");
  paths.Add(a + L"\\f2.txt");
  list.SetPaths(paths);
  EXPECT_EQ(SortedEntries(list), Sorted({a + L"\\f1.txt", a + L"\\f2.txt"}));
  list.SetPaths(list.GetPaths());  // its own entries
  EXPECT_EQ(list.GetCount(), 2);

  TNsSelectionList other(nullptr);
  other.SetCalculateSelectedFiles(false);
  other.Assign(&list);
  EXPECT_EQ(SortedEntries(other), SortedEntries(list));
  EXPECT_THROW(other.Assign(&paths), EConvertError);
  EXPECT_THROW(other.Assign(nullptr), EConvertError);

  list.SetFollowReparsePoint(true);
  list.SetHandleShellLinks(false);
  list.GetPaths().Add(root + L"\\gone.txt");  // kept as it is by a copy
  std::unique_ptr<TNsSelectionList> copy(TNsSelectionList::CreateCopy(list));
  EXPECT_EQ(SortedEntries(*copy), SortedEntries(list));
  EXPECT_TRUE(copy->GetFollowReparsePoint());
  EXPECT_FALSE(copy->GetHandleShellLinks());
  EXPECT_FALSE(copy->GetCalculateSelectedFiles());
  // The copy is a selection of its own.
  const int count = list.GetCount();
  copy->GetPaths().Add(root + L"\\other.txt");
  EXPECT_EQ(copy->GetCount(), count + 1);
  EXPECT_EQ(list.GetCount(), count);
}

TEST_F(SelectionTree, DrivesSharesAndTheSpecialFolders) {
  EXPECT_FALSE(list.GetIsLocalPathSelected());
  EXPECT_FALSE(list.GetDifferentDrives());
  TPidl computer(GetSpecialFolderItemIdList(SF_DRIVES));
  TPidl network(GetSpecialFolderItemIdList(SF_NETWORK));
  bool sub = true;
  EXPECT_EQ(list.IsPIDLSelected(computer.Get(), sub), ssDisabled);
  EXPECT_FALSE(sub);
  if (network) {
    EXPECT_EQ(list.IsPIDLSelected(network.Get(), sub), ssDisabled);
  }

  list.AddPathToSelection(a);
  EXPECT_TRUE(list.GetIsLocalPathSelected());
  EXPECT_FALSE(list.GetIsUNCPathSelected());
  EXPECT_EQ(list.IsPIDLSelected(computer.Get(), sub), ssGrayed);
  if (network) {
    EXPECT_EQ(list.IsPIDLSelected(network.Get(), sub), ssDisabled);
  }
  TPidl file(PathToItemIdList(nullptr, b + L"\\g1.txt"));
  EXPECT_EQ(list.IsPIDLSelected(file.Get(), sub), ssChecked);
  EXPECT_TRUE(sub);
  EXPECT_EQ(list.IsPIDLSelected(nullptr, sub), ssDisabled);

  list.GetPaths().Add(L"\\\\server\\share\\file.txt");
  EXPECT_TRUE(list.GetIsUNCPathSelected());
  if (network) {
    EXPECT_EQ(list.IsPIDLSelected(network.Get(), sub), ssGrayed);
  }
  list.GetPaths().Delete(1);

  TPidl complete(list.CompletePIDLSelected(file.Get()));
  EXPECT_EQ(ItemIdListToPath(complete.Get()), b + L"\\g1.txt");
  EXPECT_EQ(list.CompletePIDLSelected(computer.Get()), nullptr);
}

TEST(SelectionListQueriesTest, DifferentDrivesComparesTheDrivePartsOfTheEntries) {
  TNsSelectionList list(nullptr);
  TStringList& entries = list.GetPaths();
  entries.Add(L"C:\\a\\*");
  EXPECT_FALSE(list.GetDifferentDrives());
  entries.Add(L"c:\\b.txt");
  EXPECT_FALSE(list.GetDifferentDrives());
  entries.Add(L"D:\\b.txt");
  EXPECT_TRUE(list.GetDifferentDrives());
  EXPECT_TRUE(list.GetIsLocalPathSelected());
  EXPECT_FALSE(list.GetIsUNCPathSelected());
}

TEST(SelectionListLinkTest, TheLinkOwnsItsListAndIsToldOfChanges) {
  TTempFolder temp;
  const std::wstring file = temp.MakeFile(L"f.txt", "x");
  auto* link = new TNsShellLink(nullptr);
  TNsSelectionList* list = link->GetSelectionList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetParent(), link);
  EXPECT_EQ(list->GetOwner(), link);
  EXPECT_TRUE(list->GetHandleShellLinks());
  EXPECT_TRUE(list->GetCalculateSelectedFiles());
  EXPECT_FALSE(list->GetFollowReparsePoint());

  // The link's own SmartRefresh reaches its controls; count it through one.
  struct TCounter : INsShellControl {
    int Refreshes = 0;
    TNsShellLink* Link = nullptr;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
      *object = this;
      return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    void SetShellLink(TNsShellLink* value) override { AssignShellLink(Link, value, this); }
    TNsShellLink* GetShellLink() override { return Link; }
    void PathChanged(PCItemIDList) override {}
    void FileChanged(PCItemIDList, PCItemIDList) override {}
    void SelectAll() override {}
    void FullRefresh() override {}
    void SmartRefresh() override { ++Refreshes; }
    bool GoUp() override { return false; }
  } control;
  control.SetShellLink(link);
  list->SetCalculateSelectedFiles(false);
  list->AddPathToSelection(file);
  EXPECT_EQ(control.Refreshes, 1);
  list->BeginUpdate();
  list->RemovePathFromSelection(file);
  list->AddPathToSelection(file);
  EXPECT_EQ(control.Refreshes, 1);
  list->EndUpdate();
  EXPECT_EQ(control.Refreshes, 2);

  // A new list replaces the old one, which is freed.
  bool freed = false;
  struct TWatched : TNsSelectionList {
    bool* Freed;
    explicit TWatched(bool* freed) : TNsSelectionList(nullptr), Freed(freed) {}
    ~TWatched() override { *Freed = true; }
  };
  auto* replacement = new TWatched(&freed);
  link->SetSelectionList(replacement);
  EXPECT_EQ(link->GetSelectionList(), replacement);
  EXPECT_EQ(replacement->GetOwner(), link);
  EXPECT_EQ(replacement->GetParent(), link);
  // Freed by someone else, it is forgotten.
  delete replacement;
  EXPECT_TRUE(freed);
  EXPECT_EQ(link->GetSelectionList(), nullptr);
  bool lastFreed = false;
  link->SetSelectionList(new TWatched(&lastFreed));
  delete link;  // detaches the control, frees the list
  EXPECT_TRUE(lastFreed);
  EXPECT_EQ(control.GetShellLink(), nullptr);
}

}  // namespace
}  // namespace ts::test
