// The shell list's pictures come from jobs, so the main thread keeps
// turning while they are computed, all measured in this run:
//   - while the icons (and overlays) of 2 000 items and the thumbnails of
//     500 are computed: the longest and the 99th-percentile gap between two
//     turns of the message loop (the longest must stay under 50 ms);
//   - the time until every visible item of a 10 000-file folder shows its
//     real icon, against a bare SHGetFileInfoW loop for the same items.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "controls/ShellList.h"
#include "shell/ShellStartup.h"
#include "toolkit/Forms.h"
#include "toolkit/Synchronize.h"
#include "work/GlobalWorkerPool.h"

namespace {

using namespace ts;
using ts::bench::Seconds;

const wchar_t* const kExtensions[] = {L".txt", L".html", L".bmp", L".ini", L".doc", L".zip", L".exe", L".lnk"};

std::wstring MakeFolder(const std::wstring& name, int files) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + name;
  CreateDirectoryW(folder.c_str(), nullptr);
  for (int i = 0; i < files; ++i) {
    wchar_t file[64];
    swprintf(file, 64, L"\\file %06d%ls", i, kExtensions[i % 7]);
    HANDLE h = CreateFileW((folder + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  return folder;
}

void RemoveFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) DeleteFileW((folder + L"\\" + data.cFileName).c_str());
    } while (FindNextFileW(h, &data));
    FindClose(h);
  }
  RemoveDirectoryW(folder.c_str());
}

// A list that notes which items got their real icon.
class TTimedList : public TNsShellList {
public:
  using TNsShellList::TNsShellList;
  void IconReady(int IconIndex, TNsIconType IconType, TWorkTag Tag) override {
    if (IconType == itNormal) Arrived.insert(Tag);
    TNsShellList::IconReady(IconIndex, IconType, Tag);
  }
  std::set<TWorkTag> Arrived;
};

// One turn of the message loop: every waiting message and main-thread call.
void Turn() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  CheckSynchronize();
}

// The processor time the calling thread has used.
double ThreadSeconds() {
  FILETIME created, ended, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user)) return 0;
  auto seconds = [](const FILETIME& time) {
    return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

bool PoolBusy() { return GlobalWorkerPool() != nullptr && GlobalWorkerPool()->WorkActive(); }

}  // namespace

int wmain() {
  setvbuf(stdout, nullptr, _IONBF, 0);
  TShellLayer shellLayer(GlobalWorkerPoolHooks());
  TForm form(nullptr);
  form.SetBounds(0, 0, 1000, 700);
  auto* icons = new TTimedList(&form);
  icons->SetAutomaticRefresh(false);
  icons->SetAlign(alLeft);
  icons->SetWidth(500);
  icons->SetParent(&form);
  auto* thumbnails = new TTimedList(&form);
  thumbnails->SetAutomaticRefresh(false);
  thumbnails->SetAlign(alClient);
  thumbnails->SetParent(&form);
  form.Show();

  // Gaps of the message loop while 2 000 icons and 500 thumbnails are made.
  const std::wstring many = MakeFolder(L"twinscope-pictures-bench-2000", 2000);
  const std::wstring pictures = MakeFolder(L"twinscope-pictures-bench-500", 500);
  icons->SetPath(many);
  thumbnails->SetPath(pictures);
  thumbnails->SetThumbnails(true);
  // Every item asks, as if each had been drawn.
  for (int i = 0; i < icons->GetItems().Count(); ++i) icons->FillItem(icons->GetItems()[i]);
  for (int i = 0; i < thumbnails->GetItems().Count(); ++i) thumbnails->FillItem(thumbnails->GetItems()[i]);
  // The lists' first paint belongs to filling them, not to the pictures:
  // shown apart, before the turns are measured.
  const double paintStart = Seconds();
  Turn();
  std::printf("first paint of both lists after filling: %.1f ms\n", (Seconds() - paintStart) * 1000);
  // A turn's length on the clock, and the processor time the main thread
  // spent in it (the rest is other threads, ours and the machine's, running
  // in its place).
  std::vector<double> gaps;
  double longestWork = 0;
  double last = Seconds();
  const double start = last;
  while (PoolBusy() && Seconds() - start < 600) {
    const double cpuBefore = ThreadSeconds();
    Turn();
    const double now = Seconds();
    gaps.push_back(now - last);
    longestWork = std::max(longestWork, ThreadSeconds() - cpuBefore);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    last = Seconds();
  }
  const double busy = Seconds() - start;
  std::sort(gaps.begin(), gaps.end());
  const double longest = gaps.empty() ? 0 : gaps.back();
  const double p99 = gaps.empty() ? 0 : gaps[static_cast<size_t>(static_cast<double>(gaps.size() - 1) * 0.99)];
  std::printf("2 000 icons and overlays, 500 thumbnails: done in %.1f s, %zu turns of the message loop\n", busy,
              gaps.size());
  std::printf("  longest gap %.1f ms (under 50 ms), 99th percentile %.1f ms, icons arrived %zu, thumbnails %d\n",
              longest * 1000, p99 * 1000, icons->Arrived.size(), thumbnails->GetThumbNailImages()->GetCount());
  std::printf("  most processor time the main thread spent in one turn: %.1f ms\n", longestWork * 1000);
  icons->SetSpecialFolder(SF_DESKTOP);
  thumbnails->SetSpecialFolder(SF_DESKTOP);
  RemoveFolder(many);
  RemoveFolder(pictures);

  // Until every visible item of 10 000 shows its real icon.
  thumbnails->SetVisible(false);
  icons->SetAlign(alClient);
  const std::wstring large = MakeFolder(L"twinscope-pictures-bench-10000", 10000);
  double ours = 1e9, bare = 1e9;
  size_t visible = 0;
  for (int round = 0; round < 3; ++round) {
    icons->SetPath(large);
    icons->Arrived.clear();
    const double begin = Seconds();
    UpdateWindow(icons->GetHandle());
    std::vector<TNsShellListItem*> drawn;
    for (int i = 0; i < icons->GetItems().Count(); ++i)
      if (icons->GetItems()[i]->GetInitialized()) drawn.push_back(icons->GetItems()[i]);
    auto allArrived = [&] {
      for (TNsShellListItem* item : drawn)
        if (icons->Arrived.count(TNsShellList::TagOf(item)) == 0) return false;
      return true;
    };
    while (!allArrived() && Seconds() - begin < 60) {
      Turn();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    ours = std::min(ours, Seconds() - begin);
    visible = drawn.size();
    const double bareStart = Seconds();
    int sum = 0;
    for (TNsShellListItem* item : drawn) {
      SHFILEINFOW info{};
      SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item->GetAbsolutePIDL()), 0, &info, sizeof info,
                     SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
      sum += info.iIcon;
    }
    bare = std::min(bare, Seconds() - bareStart);
    if (sum < 0) std::printf("?");
    while (PoolBusy()) Turn();
    icons->SetSpecialFolder(SF_DESKTOP);
  }
  std::printf("10 000 files, %zu visible: every real icon shown after %.1f ms, bare SHGetFileInfoW loop %.1f ms "
              "(ratio %.2f)\n",
              visible, ours * 1000, bare * 1000, ours / bare);
  RemoveFolder(large);
  return 0;
}
