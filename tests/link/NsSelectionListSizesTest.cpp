// The totals of a selection against a direct walk of what its entries name,
// and the settings section it is saved to and loaded from.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "link/NsSelectionList.h"
#include "support/MessagePump.h"
#include "support/TempFolder.h"
#include "toolkit/IniFiles.h"
#include "work/GlobalWorkerPool.h"

namespace ts::test {
namespace {

struct TTotals {
  int64_t Bytes = 0;
  int Files = 0;
  int Folders = 0;
  bool operator==(const TTotals&) const = default;
};

void PrintTo(const TTotals& t, std::ostream* os) {
  *os << t.Bytes << " bytes, " << t.Files << " files, " << t.Folders << " folders";
}

void WalkFolder(const std::wstring& folder, TTotals& totals) {
  ++totals.Folders;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      WalkFolder(folder + L"\\" + name, totals);
    } else {
      ++totals.Files;
      totals.Bytes += (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
  } while (FindNextFileW(search, &data));
  FindClose(search);
}

// What the entries name, walked directly.
TTotals WalkEntries(const TNsSelectionList& list) {
  TTotals totals;
  for (int i = 0; i < list.GetCount(); ++i) {
    const std::wstring entry = list.GetPaths().Get(i);
    if (entry.back() == L'*') {
      WalkFolder(entry.substr(0, entry.size() - 2), totals);
    } else {
      WIN32_FILE_ATTRIBUTE_DATA data;
      GetFileAttributesExW(entry.c_str(), GetFileExInfoStandard, &data);
      ++totals.Files;
      totals.Bytes += (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
  }
  return totals;
}

TTotals Reported(TNsSelectionList& list) {
  EXPECT_TRUE(PumpMessagesUntil([] { return !GlobalWorkerPool()->WorkActive(); }, 20000));
  return {list.GetSize(), list.GetFileCount(), list.GetFolderCount()};
}

class SelectionSizes : public ::testing::Test {
protected:
  SelectionSizes() {
    temp.MakeFile(L"root\\a\\f1.txt", std::string(10, '1'));
    temp.MakeFile(L"root\\a\\f2.txt", std::string(200, '2'));
    temp.MakeFile(L"root\\a\\b\\g1.txt", std::string(3000, '3'));
    temp.MakeFile(L"root\\a\\b\\g2.txt", std::string(40, '4'));
    temp.MakeFile(L"root\\a\\b\\c\\h.txt", std::string(5, '5'));
    temp.MakeFolder(L"root\\a\\empty");
    temp.MakeFile(L"root\\x.txt", std::string(600, '6'));
    temp.MakeFile(L"outside.txt", "7");
    root = temp / L"root";
    a = root + L"\\a";
    b = a + L"\\b";
    list.OnCompletedCalculateFiles = [this](TObject*) { ++completed; };
  }

  TTempFolder temp;
  std::wstring root, a, b;
  TNsSelectionList list{nullptr};
  int completed = 0;
};

TEST_F(SelectionSizes, TotalsFollowEveryKindOfChange) {
  list.AddPathToSelection(a);
  EXPECT_EQ(Reported(list), WalkEntries(list));
  EXPECT_EQ(list.GetFolderCount(), 4);  // a, b, c, empty
  list.AddPathToSelection(root + L"\\x.txt");
  EXPECT_EQ(Reported(list), WalkEntries(list));
  // Two folders, b and a, stop being selected whole.
  list.RemovePathFromSelection(b + L"\\g1.txt");
  EXPECT_EQ(Reported(list), WalkEntries(list));
  list.AddPathToSelection(b + L"\\g1.txt");  // whole again, and root with it
  EXPECT_EQ(Reported(list), WalkEntries(list));
  list.RemovePathFromSelection(a + L"\\*");
  EXPECT_EQ(Reported(list), WalkEntries(list));
  list.RemovePathFromSelection(b);  // grayed: what lies below goes
  EXPECT_EQ(Reported(list), WalkEntries(list));
  EXPECT_GT(completed, 0);
  list.Clear();
  EXPECT_EQ(Reported(list), TTotals{});
}

TEST_F(SelectionSizes, EmptiedByRemovalTheTotalsAreZero) {
  list.AddPathToSelection(b + L"\\g2.txt");
  list.AddPathToSelection(a + L"\\empty");
  list.RemovePathFromSelection(b + L"\\g2.txt");
  list.RemovePathFromSelection(a + L"\\empty");
  EXPECT_EQ(Reported(list), TTotals{});
}

TEST_F(SelectionSizes, WithoutCalculationNothingIsCountedNotEvenBackwards) {
  list.SetCalculateSelectedFiles(false);
  list.AddPathToSelection(a);
  list.RemovePathFromSelection(b + L"\\g1.txt");
  list.AddPathToSelection(root + L"\\x.txt");
  EXPECT_EQ(Reported(list), TTotals{});
  EXPECT_EQ(completed, 0);
  // Switched on, it counts from zero: nothing was taken off meanwhile.
  list.SetCalculateSelectedFiles(true);
  list.AddPathToSelection(temp / L"outside.txt");
  EXPECT_EQ(Reported(list), (TTotals{1, 1, 0}));
}

TEST_F(SelectionSizes, ResultsForAListFreedMeanwhileAreDropped) {
  for (int round = 0; round < 20; ++round) {
    auto* doomed = new TNsSelectionList(nullptr);
    doomed->AddPathToSelection(a);
    doomed->RemovePathFromSelection(b + L"\\c");
    delete doomed;  // its jobs are still queued or running
  }
  EXPECT_TRUE(PumpMessagesUntil([] { return !GlobalWorkerPool()->WorkActive(); }, 20000));
}

// --- The settings section ---

std::vector<std::wstring> Entries(const TNsSelectionList& list) {
  std::vector<std::wstring> entries;
  for (int i = 0; i < list.GetCount(); ++i) entries.push_back(list.GetPaths().Get(i));
  return entries;
}

TEST_F(SelectionSizes, TheSectionRoundTripsOddNamesInOrder) {
  const std::wstring odd = temp.MakeFile(L"root\\a=b;c [d].txt", "x");
  const std::wstring unicode = temp.MakeFile(L"root\\\u00dcn\u00efc\u00f8d\u00e9 \u2603\\\u03b1.txt", "x");
  // Beyond MAX_PATH; a sibling keeps the entry a file's.
  const std::wstring deepFolder = std::wstring(L"root\\") + std::wstring(120, L'n') + L"\\" + std::wstring(120, L'm');
  const std::wstring deep = temp.MakeFile(deepFolder + L"\\long.txt", "x");
  temp.MakeFile(deepFolder + L"\\sibling.txt", "x");
  ASSERT_GT(deep.size(), static_cast<size_t>(MAX_PATH));
  list.SetCalculateSelectedFiles(false);
  list.AddPathToSelection(odd);
  list.AddPathToSelection(b);
  list.AddPathToSelection(unicode);
  list.AddPathToSelection(deep);
  ASSERT_EQ(list.GetCount(), 4);
  ASSERT_EQ(list.GetPaths().Get(3), deep);
  const std::wstring file = temp / L"settings.ini";
  {
    TIniFile ini(file);
    ini.WriteString(L"Selection", L"C:\\stale", L"");
    ini.WriteString(L"Other", L"Key", L"kept");
  }
  list.SaveToIniFile(file, L"Selection");

  TNsSelectionList loaded(nullptr);
  loaded.SetCalculateSelectedFiles(false);
  loaded.GetPaths().Add(root + L"\\x.txt");  // replaced by what is loaded
  loaded.LoadFromIniFile(file, L"Selection");
  EXPECT_EQ(Entries(loaded), Entries(list));
  EXPECT_EQ(TIniFile(file).ReadString(L"Other", L"Key", L""), L"kept");

  // Saving an empty selection leaves an empty section.
  TNsSelectionList empty(nullptr);
  empty.SaveToIniFile(file, L"Selection");
  loaded.LoadFromIniFile(file, L"Selection");
  EXPECT_EQ(loaded.GetCount(), 0);
}

TEST_F(SelectionSizes, AGarbledSectionLoadsWhatItCan) {
  const std::wstring file = temp / L"garbled.ini";
  const std::wstring text = L"\uFEFF[Selection]\r\n"
                            L"not a path at all\r\n"
                            L"=\r\n"
                            L"=value only\r\n"
                            L";" + a + L"\r\n" +
                            root + L"\\missing.txt=\r\n" +
                            root + L"\\x.txt=\r\n" +
                            L"   " + b + L"   =   junk value\r\n" +
                            root + L"\\*.txt=\r\n" +
                            L"\x01\x02\x7f garbage\r\n"
                            L"[Next]\r\n" +
                            a + L"\\f1.txt=\r\n";
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(handle, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(handle);

  list.SetCalculateSelectedFiles(false);
  list.LoadFromIniFile(file, L"Selection");
  EXPECT_EQ(Entries(list), (std::vector<std::wstring>{root + L"\\x.txt", b + L"\\*"}));
  list.LoadFromIniFile(temp / L"no such file.ini", L"Selection");
  EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(SelectionSizes, AFileThatCannotBeWrittenIsAClearError) {
  list.SetCalculateSelectedFiles(false);
  list.AddPathToSelection(root + L"\\x.txt");
  EXPECT_THROW(list.SaveToIniFile(temp / L"no such folder\\settings.ini", L"Selection"), EIniFileException);
  EXPECT_EQ(Entries(list), std::vector<std::wstring>{root + L"\\x.txt"});
}

}  // namespace
}  // namespace ts::test
