// The selection list's two costs that grow with the disk:
// 1. Enumerating every selected file of a selected tree of 100 000 files
//    with FindNext, against a bare recursive FindFirstFileW/FindNextFileW
//    walk of the same tree (one search per folder).
// 2. Selecting every file of one folder one by one, where each addition
//    lists the folder to see whether it has become complete: the time per
//    addition for folders of 500 to 5 000 files.
#include <windows.h>

#include "BenchClock.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "link/NsSelectionList.h"
#include "shell/ShellStartup.h"
#include "work/GlobalWorkerPool.h"

namespace {

using namespace ts;
using ts::bench::Seconds;

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 1000;
constexpr int kRounds = 5;

std::wstring BenchRoot() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"twinscope-selection-bench";
}

void MakeFiles(const std::wstring& folder, int count) {
  CreateDirectoryW(folder.c_str(), nullptr);
  for (int f = 0; f < count; ++f) {
    const std::wstring file = folder + L"\\file" + std::to_wstring(f) + L".dat";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
}

void RemoveFiles(const std::wstring& folder, int count) {
  for (int f = 0; f < count; ++f) DeleteFileW((folder + L"\\file" + std::to_wstring(f) + L".dat").c_str());
  RemoveDirectoryW(folder.c_str());
}

long long gFiles = 0;

void BareWalk(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW((path + L"*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const bool dots = data.cFileName[0] == L'.' &&
                      (data.cFileName[1] == 0 || (data.cFileName[1] == L'.' && data.cFileName[2] == 0));
    if (dots) continue;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      BareWalk(path + data.cFileName + L"\\");
    else
      ++gFiles;
  } while (FindNextFileW(h, &data));
  FindClose(h);
}

void EnumerationBench(const std::wstring& base) {
  const std::wstring root = base + L"\\tree";
  CreateDirectoryW(root.c_str(), nullptr);
  for (int d = 0; d < kFolders; ++d) MakeFiles(root + L"\\folder" + std::to_wstring(d), kFilesPerFolder);

  TNsSelectionList list(nullptr);
  list.SetCalculateSelectedFiles(false);  // the enumeration alone, no size job beside it
  list.AddPathToSelection(root);
  double findNext = 1e9, bare = 1e9;
  long long enumerated = 0;
  for (int round = 0; round < kRounds; ++round) {
    enumerated = 0;
    std::wstring path;
    double start = Seconds();
    while (list.FindNext(path)) ++enumerated;
    findNext = std::min(findNext, Seconds() - start);
    gFiles = 0;
    start = Seconds();
    BareWalk(root + L"\\");
    bare = std::min(bare, Seconds() - start);
  }
  std::printf("enumeration: %lld files by FindNext %.1f ms, %lld by a bare FindFirstFileW walk %.1f ms, "
              "ratio %.3f (best of %d)\n",
              enumerated, findNext * 1000, gFiles, bare * 1000, findNext / bare, kRounds);
  for (int d = 0; d < kFolders; ++d) RemoveFiles(root + L"\\folder" + std::to_wstring(d), kFilesPerFolder);
  RemoveDirectoryW(root.c_str());
}

// The files of folder in the platform's order: the order a user ticking
// them from the top of a list would follow.
std::vector<std::wstring> ListedFiles(const std::wstring& folder) {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return files;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) files.push_back(folder + L"\\" + data.cFileName);
  } while (FindNextFileW(h, &data));
  FindClose(h);
  return files;
}

void AdditionBench(const std::wstring& base) {
  // A sibling keeps the completed folder from completing the bench's root.
  MakeFiles(base + L"\\sibling", 1);
  double baseline = 0;
  for (int count : {500, 1000, 2000, 5000}) {
    const std::wstring folder = base + L"\\add" + std::to_wstring(count);
    MakeFiles(folder, count);
    std::vector<std::wstring> files;
    double listing = 1e9;  // one bare listing of the folder, for scale
    for (int round = 0; round < kRounds; ++round) {
      const double before = Seconds();
      files = ListedFiles(folder);
      listing = std::min(listing, Seconds() - before);
    }
    TNsSelectionList list(nullptr);
    const double start = Seconds();
    double lastTenth = 0;
    for (size_t i = 0; i < files.size(); ++i) {
      const double before = Seconds();
      list.AddPathToSelection(files[i]);
      if (i >= files.size() - files.size() / 10) lastTenth += Seconds() - before;
    }
    const double perAdd = (Seconds() - start) / static_cast<double>(files.size());
    if (baseline == 0) baseline = perAdd;
    std::printf("adding one by one: %d files, %.3f ms per addition (the last tenth %.3f ms), %.2f x the 500-file "
                "figure; one bare listing of the folder %.3f ms; entries left: %d (%ls)\n",
                count, perAdd * 1000, lastTenth * 1000 / static_cast<double>(files.size() / 10), perAdd / baseline,
                listing * 1000, list.GetCount(),
                list.GetCount() == 1 ? list.GetPaths().Get(0).c_str() + base.size() : L"?");
    list.Clear();
    RemoveFiles(folder, count);
  }
  RemoveFiles(base + L"\\sibling", 1);
}

}  // namespace

int wmain() {
  TShellLayer shellLayer(GlobalWorkerPoolHooks());
  const std::wstring base = BenchRoot();
  CreateDirectoryW(base.c_str(), nullptr);
  EnumerationBench(base);
  AdditionBench(base);
  RemoveDirectoryW(base.c_str());
  return 0;
}
