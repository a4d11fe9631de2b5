// The directory scanner on trees the tests build.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/DirectoryScanner.h"
#include "support/TempFolder.h"
#include "toolkit/Exception.h"

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

// Sets a file's last write to the given UTC time.
void SetWriteTime(const std::wstring& path, const SYSTEMTIME& utc) {
  FILETIME time;
  ASSERT_TRUE(SystemTimeToFileTime(&utc, &time));
  HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
  CloseHandle(file);
}

// The fields of a packed date-time.
struct TPacked {
  int Year, Month, Day, Hour, Minute, Second;
  bool operator==(const TPacked&) const = default;
};

TPacked Unpack(int32_t time) {
  const auto t = static_cast<uint32_t>(time);
  return {static_cast<int>(1980 + (t >> 25)), static_cast<int>((t >> 21) & 0x0F), static_cast<int>((t >> 16) & 0x1F),
          static_cast<int>((t >> 11) & 0x1F), static_cast<int>((t >> 5) & 0x3F), static_cast<int>((t & 0x1F) * 2)};
}

TEST_F(DirectoryScannerTest, EntriesCarrySizeAttributesAndTheLocalDate) {
  SYSTEMTIME utc{};
  utc.wYear = 2021, utc.wMonth = 6, utc.wDay = 15, utc.wHour = 12, utc.wMinute = 34, utc.wSecond = 57;
  SetWriteTime(temp / L"a.txt", utc);
  std::vector<TDirEntry> entries;
  ScanDirectory(true, temp.Path(), L"", [&](const std::wstring&, const TDirEntry& entry) {
    entries.push_back(entry);
    return true;
  });
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries[0].Name, L"a.txt");
  EXPECT_EQ(entries[0].Size, 4);
  EXPECT_EQ(entries[0].Attr & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_NE(entries[1].Attr & FILE_ATTRIBUTE_DIRECTORY, 0u);

  // The write time in local time, to the even second below.
  FILETIME written, local;
  SystemTimeToFileTime(&utc, &written);
  FileTimeToLocalFileTime(&written, &local);
  SYSTEMTIME expected;
  FileTimeToSystemTime(&local, &expected);
  EXPECT_EQ(Unpack(entries[0].Time), (TPacked{expected.wYear, expected.wMonth, expected.wDay, expected.wHour,
                                              expected.wMinute, expected.wSecond / 2 * 2}));

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

  // A folder that is gone by the time the walk enters it: nothing from it,
  // and the walk goes on with its next sibling; so with a mask too.
  for (const wchar_t* mask : {L"", L"*.txt"}) {
    const auto visits = Visits(true, temp.Path(), mask, base, [&](const TDirEntry& e) {
      if (e.Name == L"sub1") RemoveTree(temp / L"sub1");
      return true;
    });
    EXPECT_EQ(visits, (std::vector<std::wstring>{L"|a.txt", L"sub1\\|sub1", L"sub2\\|sub2", L"sub2\\|d.txt",
                                                 L"sub2\\|h.txt"}))
        << WideToUtf8(mask);
    temp.MakeFile(L"sub1\\b.txt", "b");
    temp.MakeFile(L"sub1\\deep\\c.log", "c");
  }
}

TEST_F(DirectoryScannerTest, TheStartPathIsTakenInItsFullForm) {
  const auto plain = Visits(true, temp / L"sub1", L"", base);
  ASSERT_EQ(plain.size(), 3u);
  EXPECT_EQ(Visits(true, temp / L"sub2\\..\\sub1", L"", base), plain);
  EXPECT_EQ(Visits(true, temp / L"sub1\\.\\", L"", base), plain);
  EXPECT_EQ(Visits(true, temp.Path() + L"/sub1", L"", base), plain);
  EXPECT_EQ(Visits(false, temp / L"sub1/deep", L"", base), (std::vector<std::wstring>{L"sub1\\deep\\|c.log"}));
}

// The current directory is the process's: these tests put it back.
class CurrentDirectoryTest : public DirectoryScannerTest {
protected:
  CurrentDirectoryTest() {
    std::vector<wchar_t> buffer(32768);
    saved.assign(buffer.data(), GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data()));
  }
  ~CurrentDirectoryTest() override { SetCurrentDirectoryW(saved.c_str()); }
  std::wstring saved;
};

TEST_F(CurrentDirectoryTest, AnEmptyOrRelativeStartPathWalksFromTheCurrentDirectory) {
  const auto expected = Visits(true, temp.Path(), L"", base);
  ASSERT_TRUE(SetCurrentDirectoryW((temp / L"sub2").c_str()));
  EXPECT_EQ(Visits(true, L"", L"", base), (std::vector<std::wstring>{L"sub2\\|d.txt", L"sub2\\|h.txt"}));
  EXPECT_EQ(Visits(true, L"..", L"", base), expected);
  ASSERT_TRUE(SetCurrentDirectoryW(temp.Path().c_str()));
  EXPECT_EQ(Visits(true, L"", L"", base), expected);
  EXPECT_EQ(Visits(true, L"sub1", L"*.log", base),
            (std::vector<std::wstring>{L"sub1\\deep\\|deep", L"sub1\\deep\\|c.log"}));
}

}  // namespace
}  // namespace ts::test
