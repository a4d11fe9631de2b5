// Enumerating a folder of 10 000 files through the browser object against the
// bare shell-folder calls that do the same work: the browser's overhead.
#include <windows.h>

#include "BenchClock.h"
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "shell/ItemIdListPaths.h"
#include "shell/NsBrowser.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellStartup.h"
#include "shell/StrRet.h"
#include "toolkit/ComPtr.h"
#include "work/GlobalWorkerPool.h"

namespace {

using namespace ts;
using ts::bench::Seconds;

constexpr int kFiles = 10000;
constexpr int kRounds = 5;

std::wstring MakeFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"twinscope-browser-bench";
  CreateDirectoryW(folder.c_str(), nullptr);
  for (int i = 0; i < kFiles; ++i) {
    const std::wstring path = folder + L"\\file" + std::to_wstring(i) + L".txt";
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  return folder;
}

void RemoveFolder(const std::wstring& folder) {
  for (int i = 0; i < kFiles; ++i) DeleteFileW((folder + L"\\file" + std::to_wstring(i) + L".txt").c_str());
  RemoveDirectoryW(folder.c_str());
}

size_t gSink = 0;

double ThroughBrowser(const std::wstring& folder) {
  const double start = Seconds();
  TNsBrowser browser(static_cast<TComponent*>(nullptr));
  browser.SetFolder(folder);
  int count = 0;
  while (browser.Next()) {
    gSink += browser.GetShellObjectName(true).size();
    gSink += browser.IsFolder() ? 1 : 0;
    gSink += browser.IsHidden() ? 1 : 0;
    ++count;
  }
  if (count != kFiles) std::printf("browser saw %d items\n", count);
  return Seconds() - start;
}

double ThroughShellFolder(const std::wstring& folder) {
  const double start = Seconds();
  TPidl list(PathToItemIdList(DesktopFolder, folder));
  TComPtr<IShellFolder> shellFolder;
  DesktopFolder->BindToObject(list.Get(), nullptr, IID_IShellFolder, shellFolder.PutVoid());
  TComPtr<IEnumIDList> items;
  shellFolder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, items.Put());
  int count = 0;
  PITEMID_CHILD child = nullptr;
  ULONG fetched = 0;
  while (items->Next(1, &child, &fetched) == S_OK) {
    TPidl item(child);
    STRRET name{};
    if (SUCCEEDED(shellFolder->GetDisplayNameOf(item.Get(), SHGDN_INFOLDER, &name)))
      gSink += StrRetToString(item.Get(), name).size();
    PCUITEMID_CHILD one[] = {item.Get()};
    SFGAOF folderBit = SFGAO_FOLDER;
    shellFolder->GetAttributesOf(1, one, &folderBit);
    SFGAOF hiddenBit = SFGAO_HIDDEN;
    shellFolder->GetAttributesOf(1, one, &hiddenBit);
    gSink += (folderBit & SFGAO_FOLDER) ? 1 : 0;
    gSink += (hiddenBit & SFGAO_HIDDEN) ? 1 : 0;
    ++count;
  }
  if (count != kFiles) std::printf("shell folder saw %d items\n", count);
  return Seconds() - start;
}

}  // namespace

int wmain() {
  TShellLayer layer(GlobalWorkerPoolHooks());
  const std::wstring folder = MakeFolder();
  // A warm-up of each, then the best of several alternating rounds.
  ThroughBrowser(folder);
  ThroughShellFolder(folder);
  double browser = 1e9, bare = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    browser = std::min(browser, ThroughBrowser(folder));
    bare = std::min(bare, ThroughShellFolder(folder));
  }
  std::printf("%d items: browser %.1f ms, bare shell folder %.1f ms, overhead ratio %.3f\n", kFiles, browser * 1000,
              bare * 1000, browser / bare);
  RemoveFolder(folder);
  return 0;
}
