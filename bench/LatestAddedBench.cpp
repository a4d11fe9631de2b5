// Refreshing the Latest Added window on a tree of 100 000 entries against the
// directory scanner alone walking the same tree, with the shares of the
// refresh that sorting the lines and filling the list box take. First with
// the files as made, within a minute or two of each other, so that nearly
// every comparison reaches the paths (the sort's hard case); then with every
// entry given a minute of its own, as in a tree that grew over time.
#include <windows.h>

#include "BenchClock.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/DirectoryScanner.h"
#include "app/LatestAddedWindow.h"
#include "toolkit/Application.h"

namespace {

using namespace ts;
using ts::bench::Seconds;

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 999;  // with the folders: 100 000 entries
constexpr int kRounds = 3;

std::wstring TempPath(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + name;
}

std::wstring FolderName(const std::wstring& root, int d) { return root + L"\\folder" + std::to_wstring(d); }
std::wstring FileName(const std::wstring& folder, int f) {
  return folder + L"\\File" + std::to_wstring(f) + L" of the bench.dat";
}

void MakeTree(const std::wstring& root) {
  CreateDirectoryW(root.c_str(), nullptr);
  for (int d = 0; d < kFolders; ++d) {
    const std::wstring folder = FolderName(root, d);
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int f = 0; f < kFilesPerFolder; ++f) {
      HANDLE h = CreateFileW(FileName(folder, f).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
  }
}

void RemoveTree(const std::wstring& root) {
  for (int d = 0; d < kFolders; ++d) {
    const std::wstring folder = FolderName(root, d);
    for (int f = 0; f < kFilesPerFolder; ++f) DeleteFileW(FileName(folder, f).c_str());
    RemoveDirectoryW(folder.c_str());
  }
  RemoveDirectoryW(root.c_str());
}

// Every entry a minute of its own, the folders' after their files'.
void SpreadTimes(const std::wstring& root) {
  SYSTEMTIME start{};
  start.wYear = 2001, start.wMonth = 1, start.wDay = 1;
  FILETIME base;
  SystemTimeToFileTime(&start, &base);
  ULARGE_INTEGER t;
  t.LowPart = base.dwLowDateTime, t.HighPart = base.dwHighDateTime;
  auto stamp = [&t](const std::wstring& path) {
    t.QuadPart += 60ull * 10000000ull;
    const FILETIME ft{t.LowPart, t.HighPart};
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
  };
  for (int d = 0; d < kFolders; ++d) {
    const std::wstring folder = FolderName(root, d);
    for (int f = 0; f < kFilesPerFolder; ++f) stamp(FileName(folder, f));
    stamp(folder);
  }
}

void Measure(const wchar_t* caseName, const std::wstring& root, const std::wstring& settings) {
  double scan = 1e9, refresh = 1e9, gather = 1e9, sort = 1e9, fill = 1e9;
  long long entries = 0;
  int lines = 0;
  {
    TfrmLatestAdded window(nullptr, settings);
    window.rbtnDirsAndFiles->SetChecked(true);
    window.lblStartPath->SetCaption(root);
    window.Show();  // a first refresh, which also warms the file system's caches
    Application->ProcessMessages();
    for (int round = 0; round < kRounds; ++round) {
      entries = 0;
      double start = Seconds();
      ScanDirectory(true, root, L"*.*", [&](const std::wstring&, const TDirEntry&) {
        ++entries;
        return true;
      });
      scan = std::min(scan, Seconds() - start);

      start = Seconds();
      window.Refresh();
      refresh = std::min(refresh, Seconds() - start);
      lines = window.ListBoxLatest->GetItems().GetCount();
      Application->ProcessMessages();

      // The refresh's steps one by one.
      TLatestAddedLines gathered(false);
      start = Seconds();
      gathered.Scan(root);
      gather = std::min(gather, Seconds() - start);
      start = Seconds();
      gathered.Sort();
      sort = std::min(sort, Seconds() - start);
      start = Seconds();
      window.FillList(gathered);
      fill = std::min(fill, Seconds() - start);
      Application->ProcessMessages();
    }
  }
  std::printf("%ls:\n", caseName);
  std::printf("%lld entries, %d lines: scanner alone %.1f ms; Refresh to a filled list %.1f ms, ratio %.3f\n",
              entries, lines, scan * 1000, refresh * 1000, refresh / scan);
  std::printf("steps: gathering the lines %.1f ms (%.0f%%), sorting %.1f ms (%.0f%%), filling the list box "
              "%.1f ms (%.0f%%)\n",
              gather * 1000, 100 * gather / refresh, sort * 1000, 100 * sort / refresh, fill * 1000,
              100 * fill / refresh);
}

}  // namespace

int wmain() {
  const std::wstring root = TempPath(L"twinscope-latest-added-bench");
  const std::wstring settings = TempPath(L"twinscope-latest-added-bench2.ini");
  MakeTree(root);
  Measure(L"entries made together (most lines share their minute)", root, settings);
  SpreadTimes(root);
  Measure(L"every entry a minute of its own", root, settings);
  RemoveTree(root);
  DeleteFileW(settings.c_str());
  return 0;
}
