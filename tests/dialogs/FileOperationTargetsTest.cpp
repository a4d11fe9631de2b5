// The names a copy or move gives its sources when theirs are taken.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "shell/FileOperationTargets.h"
#include "support/TempFolder.h"

namespace ts::test {
namespace {

TEST(FileOperationTargetsTest, TheNextFreeNameKeepsTheExtension) {
  std::set<std::wstring> taken;
  auto isTaken = [&taken](const std::wstring& path) { return taken.count(path) > 0; };
  EXPECT_EQ(NextFreeName(L"C:\\to\\a.txt", false, false, isTaken), L"C:\\to\\a (2).txt");
  taken = {L"C:\\to\\a (2).txt", L"C:\\to\\a (3).txt"};
  EXPECT_EQ(NextFreeName(L"C:\\to\\a.txt", false, false, isTaken), L"C:\\to\\a (4).txt");
  EXPECT_EQ(NextFreeName(L"C:\\to\\a.txt", false, true, isTaken), L"C:\\to\\a - Copy.txt");
  taken = {L"C:\\to\\a - Copy.txt"};
  EXPECT_EQ(NextFreeName(L"C:\\to\\a.txt", false, true, isTaken), L"C:\\to\\a - Copy (2).txt");
  // A folder's dot, a name that is all extension, a name without one.
  EXPECT_EQ(NextFreeName(L"C:\\to\\my.dir", true, false, isTaken), L"C:\\to\\my.dir (2)");
  EXPECT_EQ(NextFreeName(L"C:\\to\\.profile", false, false, isTaken), L"C:\\to\\.profile (2)");
  EXPECT_EQ(NextFreeName(L"C:\\to\\README", false, false, isTaken), L"C:\\to\\README (2)");
  EXPECT_EQ(NextFreeName(L"C:\\to\\a.txt", false, false, [](const std::wstring&) { return true; }), L"");
}

TEST(FileOperationTargetsTest, OnlyTakenNamesChange) {
  TTempFolder temp;
  const std::wstring a = temp.MakeFile(L"from\\a.txt"), b = temp.MakeFile(L"from\\b.txt");
  const std::wstring to = temp.MakeFolder(L"to");
  EXPECT_TRUE(CollisionFreeTargets({a, b}, to, false).empty());
  temp.MakeFile(L"to\\b.txt");
  EXPECT_EQ(CollisionFreeTargets({a, b}, to, false), (std::vector<std::wstring>{to + L"\\a.txt", to + L"\\b (2).txt"}));
  // Onto a file: the one source takes a free name beside it.
  EXPECT_EQ(CollisionFreeTargets({a}, to + L"\\b.txt", false), std::vector<std::wstring>{to + L"\\b (2).txt"});
  // Moving an item onto itself leaves it; wildcards are the platform's.
  EXPECT_TRUE(CollisionFreeTargets({a}, temp / L"from", true).empty());
  EXPECT_TRUE(CollisionFreeTargets({temp / L"from\\*.txt"}, to, false).empty());
  EXPECT_TRUE(CollisionFreeTargets({a, b}, to + L"\\b.txt", false).empty());
}

}  // namespace
}  // namespace ts::test
