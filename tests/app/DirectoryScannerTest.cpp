// The directory scanner on trees the tests build.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/DirectoryScanner.h"
#include "support/TempFolder.h"

namespace ts::test {
namespace {

// "path|name" for every visit, in order.
std::vector<std::wstring> Visits(bool recurse, const std::wstring& start, const std::wstring& mask,
                                 const std::wstring& base, const std::function<bool(const TDirEntry&)>& goOn = {}) {
  std::vector<std::wstring> visits;
  ScanDirectory(recurse, start, mask, [&](const std::wstring& path, const TDirEntry& entry) {
    visits.push_back(path.substr(base.size()) + L"|" + entry.Name);
    return goOn ? goOn(entry) : true;
  });
  return visits;
}

class DirectoryScannerTest : public ::testing::Test {
protected:
  DirectoryScannerTest() {
    temp.MakeFile(L"a.txt", "aaaa");
    temp.MakeFile(L"sub1\\b.txt", "b");
    temp.MakeFile(L"sub1\\deep\\c.log", "c");
    temp.MakeFile(L"sub2\\d.txt", "d");
    hiddenFile = temp.MakeFile(L"sub2\\h.txt", "h");
    SetFileAttributesW(hiddenFile.c_str(), FILE_ATTRIBUTE_HIDDEN);
    temp.MakeFile(L"secret\\inside.txt", "s");
    SetFileAttributesW((temp / L"secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
    base = temp.Path() + L"\\";
  }

  TTempFolder temp;
  std::wstring hiddenFile;
  std::wstring base;
};

TEST_F(DirectoryScannerTest, FilesFirstThenEachSubdirectoryWithItsSubtree) {
  const auto visits = Visits(true, temp.Path(), L"", base);
  EXPECT_EQ(visits, (std::vector<std::wstring>{L"|a.txt", L"sub1\\|sub1", L"sub1\\|b.txt", L"sub1\\deep\\|deep",
                                               L"sub1\\deep\\|c.log", L"sub2\\|sub2", L"sub2\\|d.txt",
                                               L"sub2\\|h.txt"}));
  // With or without the trailing backslash, the same walk.
  EXPECT_EQ(Visits(true, base, L"*.*", base), visits);
  // The mask picks files only; folders are all searched.
  EXPECT_EQ(Visits(true, temp.Path(), L"*.log", base),
            (std::vector<std::wstring>{L"sub1\\|sub1", L"sub1\\deep\\|deep", L"sub1\\deep\\|c.log", L"sub2\\|sub2"}));
}

TEST_F(DirectoryScannerTest, WithoutRecursionOnlyTheStartFoldersFiles) {
  EXPECT_EQ(Visits(false, temp.Path(), L"", base), (std::vector<std::wstring>{L"|a.txt"}));
}

TEST_F(DirectoryScannerTest, EntriesCarrySizeAttributesAndTheLocalDate) {
  std::vector<TDirEntry> entries;
  ScanDirectory(true, temp.Path(), L"", [&](const std::wstring&, const TDirEntry& entry) {
    entries.push_back(entry);
    return true;
  });
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries[0].Name, L"a.txt");
  EXPECT_EQ(entries[0].Size, 4);
  EXPECT_EQ(entries[0].Attr & FILE_ATTRIBUTE_DIRECTORY, 0u);
  SYSTEMTIME now;
  GetLocalTime(&now);
  const int year = 1980 + ((static_cast<uint32_t>(entries[0].Time) >> 25) & 0x7F);
  EXPECT_EQ(year, now.wYear);
  EXPECT_NE(entries[1].Attr & FILE_ATTRIBUTE_DIRECTORY, 0u);

  FILETIME old{};  // 1601: cannot be packed
  EXPECT_EQ(PackedLocalDateTime(old), -1);
}

TEST_F(DirectoryScannerTest, FalseFromTheCallbackStopsTheWholeWalkAtOnce) {
  // Stop at a file deep down: no sibling at any level follows.
  auto visits = Visits(true, temp.Path(), L"", base, [](const TDirEntry& e) { return e.Name != L"c.log"; });
  EXPECT_EQ(visits.back(), L"sub1\\deep\\|c.log");
  EXPECT_EQ(visits.size(), 5u);
  // At the first file: nothing else at all.
  visits = Visits(true, temp.Path(), L"", base, [](const TDirEntry&) { return false; });
  EXPECT_EQ(visits, (std::vector<std::wstring>{L"|a.txt"}));
  // A subdirectory's answer is ignored.
  visits = Visits(true, temp.Path(), L"", base, [](const TDirEntry& e) { return (e.Attr & FILE_ATTRIBUTE_DIRECTORY) == 0; });
  EXPECT_EQ(visits.size(), 8u);
}

TEST_F(DirectoryScannerTest, TheWorkingPathIsCutBackAfterALongName) {
  const std::wstring longName(255, L'L');
  temp.MakeFile(longName + L"\\inner.txt", "i");
  temp.MakeFolder(L"zz");
  const auto visits = Visits(true, temp.Path(), L"", base);
  const auto inner = std::find(visits.begin(), visits.end(), longName + L"\\|inner.txt");
  EXPECT_NE(inner, visits.end());  // searched through the long-path form
  EXPECT_NE(std::find(visits.begin(), visits.end(), L"zz\\|zz"), visits.end());
  for (const auto& visit : visits) {
    if (visit.find(L"|zz") != std::wstring::npos) {
      EXPECT_EQ(visit, L"zz\\|zz");
    }
  }
}

TEST_F(DirectoryScannerTest, FoldersThatCannotBeSearchedArePassedOver) {
  EXPECT_TRUE(Visits(true, temp / L"vanished", L"", base).empty());
  EXPECT_TRUE(Visits(true, L"Q:\\nowhere", L"", base).empty());
}

}  // namespace
}  // namespace ts::test
