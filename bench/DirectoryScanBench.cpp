// Walking a tree of 100 000 entries with the directory scanner against bare
// recursive FindFirstFileW/FindNextFileW walks that visit the same entries:
// one with a single search per folder, and one with a search for the files
// and another for the folders.
#include <windows.h>

#include "BenchClock.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/DirectoryScanner.h"

namespace {

using namespace ts;
using ts::bench::Seconds;

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 999;  // with the folders: 100 000 entries
constexpr int kRounds = 5;

std::wstring Root() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"twinscope-scan-bench";
}

void MakeTree(const std::wstring& root) {
  CreateDirectoryW(root.c_str(), nullptr);
  for (int d = 0; d < kFolders; ++d) {
    const std::wstring folder = root + L"\\folder" + std::to_wstring(d);
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int f = 0; f < kFilesPerFolder; ++f) {
      const std::wstring file = folder + L"\\file" + std::to_wstring(f) + L".dat";
      HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
  }
}

void RemoveTree(const std::wstring& root) {
  for (int d = 0; d < kFolders; ++d) {
    const std::wstring folder = root + L"\\folder" + std::to_wstring(d);
    for (int f = 0; f < kFilesPerFolder; ++f)
      DeleteFileW((folder + L"\\file" + std::to_wstring(f) + L".dat").c_str());
    RemoveDirectoryW(folder.c_str());
  }
  RemoveDirectoryW(root.c_str());
}

long long gEntries = 0;

// The same two searches per folder the scanner makes: files, then folders.
void BareWalk(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW((path + L"*.*").c_str(), &data);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) ++gEntries;
    } while (FindNextFileW(h, &data));
    FindClose(h);
  }
  h = FindFirstFileW((path + L"*.*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const bool dots = data.cFileName[0] == L'.' &&
                      (data.cFileName[1] == 0 || (data.cFileName[1] == L'.' && data.cFileName[2] == 0));
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !dots) {
      ++gEntries;
      BareWalk(path + data.cFileName + L"\\");
    }
  } while (FindNextFileW(h, &data));
  FindClose(h);
}

// One search per folder: every entry, descending into folders as met.
void SinglePassWalk(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW((path + L"*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const bool dots = data.cFileName[0] == L'.' &&
                      (data.cFileName[1] == 0 || (data.cFileName[1] == L'.' && data.cFileName[2] == 0));
    if (dots) continue;
    ++gEntries;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) SinglePassWalk(path + data.cFileName + L"\\");
  } while (FindNextFileW(h, &data));
  FindClose(h);
}

}  // namespace

int wmain() {
  const std::wstring root = Root();
  MakeTree(root);
  double scanner = 1e9, bare = 1e9, single = 1e9;
  long long scanned = 0;
  for (int round = 0; round < kRounds; ++round) {
    scanned = 0;
    double start = Seconds();
    ScanDirectory(true, root, L"", [&](const std::wstring&, const TDirEntry&) {
      ++scanned;
      return true;
    });
    scanner = std::min(scanner, Seconds() - start);
    gEntries = 0;
    start = Seconds();
    BareWalk(root + L"\\");
    bare = std::min(bare, Seconds() - start);
    gEntries = 0;
    start = Seconds();
    SinglePassWalk(root + L"\\");
    single = std::min(single, Seconds() - start);
  }
  std::printf("%lld entries: scanner %.1f ms; bare walk with the scanner's two searches per folder %.1f ms, "
              "ratio %.3f; single-pass bare walk %.1f ms, ratio %.3f\n",
              scanned, scanner * 1000, bare * 1000, scanner / bare, single * 1000, scanner / single);
  RemoveTree(root);
  return 0;
}
