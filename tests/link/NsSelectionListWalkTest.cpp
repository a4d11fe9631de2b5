// Enumerating the selected files (FindNext) on real trees and on a file
// system in memory with what the platform here cannot make: folders that
// cannot be opened, junctions, a drive of one's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "link/FakeFileSystemList.h"
#include "link/NsSelectionList.h"
#include "link/NsStack.h"
#include "link/SelectionStatePrinter.h"
#include "support/TempFolder.h"

namespace ts::test {
namespace {

std::vector<std::wstring> Enumerate(TNsSelectionList& list, size_t limit = 100000) {
  std::vector<std::wstring> files;
  std::wstring path;
  while (list.FindNext(path) && files.size() < limit) files.push_back(path);
  return files;
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> paths) {
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST(NsStackTest, PushPopAndTheCurrentFolder) {
  TNsStack stack;
  EXPECT_EQ(stack.Top(), nullptr);
  EXPECT_EQ(stack.Pop(), nullptr);
  stack.Push(INVALID_HANDLE_VALUE, L"C:\\ignored");
  EXPECT_EQ(stack.GetCount(), 0);
  HANDLE first = reinterpret_cast<HANDLE>(0x10), second = reinterpret_cast<HANDLE>(0x20);
  stack.Push(first, L"C:\\d");
  EXPECT_EQ(stack.GetCurrentPath(), L"C:\\d\\");
  stack.Push(second, L"sub");
  EXPECT_EQ(stack.GetCurrentPath(), L"C:\\d\\sub\\");
  EXPECT_EQ(stack.Top(), second);
  EXPECT_EQ(stack.Pop(), second);
  EXPECT_EQ(stack.GetCurrentPath(), L"C:\\d\\");
  EXPECT_EQ(stack.Pop(), first);
  EXPECT_EQ(stack.GetCurrentPath(), L"");
  stack.Push(first, L"C:\\");
  EXPECT_EQ(stack.GetCurrentPath(), L"C:\\");
}

// Q:\x.txt; Q:\d: f1 f2, s1\(g1, t\h1), s2\g2 ; Q:\other\o1.txt
class FakeWalk : public ::testing::Test {
protected:
  FakeWalk() {
    list.AddFile(L"Q:\\x.txt");
    list.AddFile(L"Q:\\d\\f1");
    list.AddFolder(L"Q:\\d\\s1");
    list.AddFile(L"Q:\\d\\f2");
    list.AddFile(L"Q:\\d\\s1\\g1");
    list.AddFile(L"Q:\\d\\s1\\t\\h1");
    list.AddFile(L"Q:\\d\\s2\\g2");
    list.AddFile(L"Q:\\other\\o1.txt");
  }
  TFakeFileSystemList list;
};

TEST_F(FakeWalk, FileEntriesThenEachFolderDepthFirstThenEmptyThenAgain) {
  list.AddPathToSelection(L"Q:\\x.txt");
  list.AddPathToSelection(L"Q:\\d");
  const std::vector<std::wstring> expected = {L"Q:\\x.txt", L"Q:\\d\\f1", L"Q:\\d\\f2", L"Q:\\d\\s1\\g1",
                                              L"Q:\\d\\s1\\t\\h1", L"Q:\\d\\s2\\g2"};
  std::vector<std::wstring> found;
  std::wstring path;
  for (size_t i = 0; i < expected.size(); ++i) {
    ASSERT_TRUE(list.FindNext(path));
    found.push_back(path);
  }
  EXPECT_EQ(found, expected);
  path = L"stale";
  EXPECT_FALSE(list.FindNext(path));
  EXPECT_EQ(path, L"");
  EXPECT_EQ(Enumerate(list), expected);  // over again
  EXPECT_EQ(list.SearchesOpen, list.SearchesClosed);
  // Only one search is open at a time.
  list.FindNext(path);
  list.FindNext(path);
  list.FindNext(path);
  EXPECT_EQ(list.SearchesOpen - list.SearchesClosed, 1);
}

TEST_F(FakeWalk, ResetAndChangesCloseTheSearchesAndStartOver) {
  list.AddPathToSelection(L"Q:\\d\\s1");
  list.AddPathToSelection(L"Q:\\d\\s2");
  std::wstring path;
  ASSERT_TRUE(list.FindNext(path));
  EXPECT_EQ(path, L"Q:\\d\\s1\\g1");
  list.ResetFindNext();
  EXPECT_EQ(list.SearchesOpen, list.SearchesClosed);
  ASSERT_TRUE(list.FindNext(path));
  EXPECT_EQ(path, L"Q:\\d\\s1\\g1");
  // A change of the entries starts the enumeration over as well.
  list.AddPathToSelection(L"Q:\\x.txt");
  EXPECT_EQ(list.SearchesOpen, list.SearchesClosed);
  EXPECT_EQ(Enumerate(list),
            (std::vector<std::wstring>{L"Q:\\x.txt", L"Q:\\d\\s1\\g1", L"Q:\\d\\s1\\t\\h1", L"Q:\\d\\s2\\g2"}));
}

TEST_F(FakeWalk, AllFilesAtOnceLeavesAnEnumerationInProgressAsItWas) {
  list.AddPathToSelection(L"Q:\\x.txt");
  list.AddPathToSelection(L"Q:\\d");
  std::wstring path;
  list.FindNext(path);
  list.FindNext(path);
  ASSERT_EQ(path, L"Q:\\d\\f1");
  // (The list it gives keeps only paths the platform finds: none of these.)
  ASSERT_TRUE(list.GetListOfAllFiles());
  std::vector<std::wstring> rest = Enumerate(list);
  EXPECT_EQ(rest, (std::vector<std::wstring>{L"Q:\\d\\f2", L"Q:\\d\\s1\\g1", L"Q:\\d\\s1\\t\\h1", L"Q:\\d\\s2\\g2"}));
  EXPECT_EQ(list.SearchesOpen, list.SearchesClosed);
}

TEST_F(FakeWalk, AFolderThatCannotBeOpenedIsPassedOver) {
  list.MakeUnopenable(L"Q:\\d\\s1");
  list.AddPathToSelection(L"Q:\\d");
  EXPECT_EQ(Enumerate(list), (std::vector<std::wstring>{L"Q:\\d\\f1", L"Q:\\d\\f2", L"Q:\\d\\s2\\g2"}));
  // An entry that cannot be opened gives nothing; the next one is walked.
  list.MakeUnopenable(L"Q:\\d");
  list.AddPathToSelection(L"Q:\\other");
  EXPECT_EQ(Enumerate(list), (std::vector<std::wstring>{L"Q:\\other\\o1.txt"}));
}

TEST_F(FakeWalk, JunctionsAreFollowedOnlyWhenAskedAndNeverRoundInACircle) {
  list.AddLink(L"Q:\\d\\s2\\back", L"Q:\\d");       // to the walked folder
  list.AddLink(L"Q:\\d\\s1\\t\\up", L"Q:\\");        // above it
  list.AddLink(L"Q:\\d\\s1\\inner", L"Q:\\d\\s2");   // inside it
  list.AddLink(L"Q:\\d\\out", L"Q:\\other");         // elsewhere
  list.AddPathToSelection(L"Q:\\d");
  const std::vector<std::wstring> own = {L"Q:\\d\\f1", L"Q:\\d\\f2", L"Q:\\d\\s1\\g1", L"Q:\\d\\s1\\t\\h1",
                                         L"Q:\\d\\s2\\g2"};
  EXPECT_EQ(Sorted(Enumerate(list)), Sorted(own));
  list.SetFollowReparsePoint(true);
  std::vector<std::wstring> followed = own;
  followed.push_back(L"Q:\\d\\out\\o1.txt");
  EXPECT_EQ(Sorted(Enumerate(list)), Sorted(followed));
  EXPECT_EQ(list.SearchesOpen, list.SearchesClosed);
}

TEST_F(FakeWalk, ADriveRootCompletesAndExplodesLikeAnyFolder) {
  list.AddPathToSelection(L"Q:\\d");
  list.AddPathToSelection(L"Q:\\other");
  EXPECT_EQ(list.IsPathSelected(L"Q:\\"), ssGrayed);
  list.AddPathToSelection(L"Q:\\x.txt");
  ASSERT_EQ(list.GetCount(), 1);
  EXPECT_EQ(list.GetPaths().Get(0), L"Q:\\*");
  EXPECT_EQ(list.IsPathSelected(L"Q:"), ssChecked);
  EXPECT_EQ(Enumerate(list).size(), 7u);

  list.RemovePathFromSelection(L"Q:\\d\\s1\\g1");
  std::vector<std::wstring> entries;
  for (int i = 0; i < list.GetCount(); ++i) entries.push_back(list.GetPaths().Get(i));
  EXPECT_EQ(Sorted(entries), Sorted({L"Q:\\d\\s1\\t\\*", L"Q:\\d\\f1", L"Q:\\d\\f2", L"Q:\\d\\s2\\*",
                                     L"Q:\\x.txt", L"Q:\\other\\*"}));
  EXPECT_EQ(list.IsPathSelected(L"Q:\\"), ssGrayed);

  list.DriveReady = false;
  EXPECT_EQ(list.IsPathSelected(L"Q:\\"), ssDisabled);
  EXPECT_EQ(list.IsPathSelected(L"Q:"), ssDisabled);
}

TEST_F(FakeWalk, CompletenessDoesNotLookThroughJunctions) {
  // loopy holds nothing but a junction to itself: looking through it for
  // unselected items would never end.
  list.AddLink(L"Q:\\loopy\\self", L"Q:\\loopy");
  list.AddPathToSelection(L"Q:\\d");
  list.AddPathToSelection(L"Q:\\other");
  list.AddPathToSelection(L"Q:\\x.txt");
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list.IsPathSelected(L"Q:\\"), ssGrayed);
  // Selected itself, the junction completes its folder, and so the drive.
  list.AddPathToSelection(L"Q:\\loopy\\self");
  ASSERT_EQ(list.GetCount(), 1);
  EXPECT_EQ(list.GetPaths().Get(0), L"Q:\\*");
}

// On the disk: the same order rules, against the platform's own listing.
TEST(RealWalkTest, EveryFileOnceAndAFoldersFilesBeforeItsSubfolders) {
  TTempFolder temp;
  std::set<std::wstring> expected;
  for (const wchar_t* name : {L"d\\a.txt", L"d\\z.txt", L"d\\s\\b.txt", L"d\\s\\t\\c.txt", L"d\\u\\e.txt"})
    expected.insert(temp.MakeFile(name, "x"));
  temp.MakeFolder(L"d\\emptyfolder");
  expected.insert(temp.MakeFile(L"single.txt", "y"));
  temp.MakeFile(L"unselected.txt", "n");
  TNsSelectionList list(nullptr);
  list.SetCalculateSelectedFiles(false);
  list.AddPathToSelection(temp / L"d");
  list.AddPathToSelection(temp / L"single.txt");
  const std::vector<std::wstring> files = Enumerate(list);
  ASSERT_EQ(files.size(), expected.size());
  EXPECT_EQ(std::set<std::wstring>(files.begin(), files.end()), expected);
  EXPECT_EQ(files[0], temp / L"single.txt");
  auto position = [&](const std::wstring& path) { return std::find(files.begin(), files.end(), path) - files.begin(); };
  EXPECT_LT(position(temp / L"d\\z.txt"), position(temp / L"d\\s\\b.txt"));
  EXPECT_LT(position(temp / L"d\\a.txt"), position(temp / L"d\\u\\e.txt"));
  EXPECT_LT(position(temp / L"d\\s\\b.txt"), position(temp / L"d\\s\\t\\c.txt"));

  // All at once, in the middle of an enumeration that then goes on.
  std::wstring path;
  ASSERT_TRUE(list.FindNext(path));
  ASSERT_TRUE(list.FindNext(path));
  std::unique_ptr<TNsPathList> all = list.GetListOfAllFiles();
  ASSERT_EQ(all->GetCount(), static_cast<int>(expected.size()));
  EXPECT_EQ(Enumerate(list).size(), expected.size() - 2);
  for (const std::wstring& path : expected) EXPECT_TRUE(all->ContainsPath(path)) << path;
}

}  // namespace
}  // namespace ts::test
