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
#include <atomic>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "BenchClock.h"
#include "BenchFolders.h"
#include "controls/ShellList.h"
#include "shell/ShellStartup.h"
#include "toolkit/Forms.h"
#include "toolkit/Synchronize.h"
#include "work/GlobalWorkerPool.h"

namespace {

using namespace ts;
using ts::bench::RemoveFolder;
using ts::bench::Seconds;

std::wstring MakeFolder(const std::wstring& name, int files) {
  return ts::bench::MakeFolder(name, files, {L".txt", L".html", L".bmp", L".ini", L".doc", L".zip", L".exe"});
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

// The turn that took longest, so that the note can say what it did.
struct TLongestTurn {
  double Seconds = 0;
  UINT Message = 0;
  wchar_t Class[64] = L"";
};
TLongestTurn gLongestTurn;

void NoteTurn(double seconds, UINT message, HWND window) {
  if (seconds <= gLongestTurn.Seconds) return;
  gLongestTurn.Seconds = seconds;
  gLongestTurn.Message = message;
  gLongestTurn.Class[0] = 0;
  if (window != nullptr) GetClassNameW(window, gLongestTurn.Class, 64);
}

// One turn of the program's message loop, as the application runs it: one
// message, or when none waits, the queued main-thread calls. False when
// there was nothing to do.
bool Turn(UINT& message, HWND& window) {
  MSG msg;
  message = 0;
  window = nullptr;
  if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    message = msg.message;
    window = msg.hwnd;
    if (msg.hwnd == nullptr && msg.message == SynchronizeMessage()) {
      CheckSynchronize();
    } else {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    return true;
  }
  return CheckSynchronize();
}

// Every waiting message and main-thread call.
void Drain() {
  UINT message;
  HWND window;
  while (Turn(message, window)) {
  }
}

// A stand-in for the user: another thread posts a message every few
// milliseconds, stamped with when it was posted, and the window that takes it
// notes how long it waited for the loop.
constexpr UINT kProbeMessage = WM_APP + 1;
std::vector<double> gProbeSentAt;
std::vector<double> gProbeWaits;

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProbeMessage) {
    gProbeWaits.push_back(Seconds() - gProbeSentAt[static_cast<size_t>(wParam)]);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateProbeWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ProbeWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TwinscopeBenchProbe";
  RegisterClassW(&wc);
  return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
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
  Drain();
  std::printf("first paint of both lists after filling: %.1f ms\n", (Seconds() - paintStart) * 1000);
  // A turn's length on the clock, and the processor time the main thread
  // spent in it (the rest is other threads, ours and the machine's, running
  // in its place). The loop waits for work only when it has none, so the
  // longest stretch without a wait is printed too.
  std::vector<double> gaps;
  double longestWork = 0;
  double longestStretch = 0;
  const HWND probe = CreateProbeWindow();
  gProbeSentAt.assign(200000, 0);
  std::atomic<bool> probing{true};
  std::thread prober([&] {
    for (size_t i = 0; probing && i < gProbeSentAt.size(); ++i) {
      gProbeSentAt[i] = Seconds();
      PostMessageW(probe, kProbeMessage, i, 0);
      Sleep(5);
    }
  });
  const double start = Seconds();
  while (PoolBusy() && Seconds() - start < 600) {
    const double stretchStart = Seconds();
    for (;;) {
      const double cpuBefore = ThreadSeconds();
      const double before = Seconds();
      UINT message;
      HWND window;
      if (!Turn(message, window)) break;
      const double took = Seconds() - before;
      gaps.push_back(took);
      NoteTurn(took, message, window);
      longestWork = std::max(longestWork, ThreadSeconds() - cpuBefore);
    }
    longestStretch = std::max(longestStretch, Seconds() - stretchStart);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
  const double busy = Seconds() - start;
  probing = false;
  prober.join();
  Drain();
  DestroyWindow(probe);
  std::sort(gaps.begin(), gaps.end());
  std::sort(gProbeWaits.begin(), gProbeWaits.end());
  const double longest = gaps.empty() ? 0 : gaps.back();
  const double p99 = gaps.empty() ? 0 : gaps[static_cast<size_t>(static_cast<double>(gaps.size() - 1) * 0.99)];
  std::printf("2 000 icons and overlays, 500 thumbnails: done in %.1f s, %zu turns of the message loop\n", busy,
              gaps.size());
  std::printf("  longest gap %.1f ms (under 50 ms), 99th percentile %.1f ms, icons arrived %zu, thumbnails %d\n",
              longest * 1000, p99 * 1000, icons->Arrived.size(), thumbnails->GetThumbNailImages()->GetCount());
  if (gLongestTurn.Message == 0)
    std::printf("  the longest turn ran main-thread calls\n");
  else
    std::printf("  the longest turn was message 0x%04X to a \"%ls\" window\n", gLongestTurn.Message,
                gLongestTurn.Class);
  std::printf("  most processor time the main thread spent in one turn: %.1f ms\n", longestWork * 1000);
  std::printf("  longest stretch of turns without waiting for work: %.1f ms\n", longestStretch * 1000);
  if (!gProbeWaits.empty())
    std::printf("  a message posted every 5 ms from another thread waited at most %.1f ms (99th percentile %.1f ms, "
                "%zu messages)\n",
                gProbeWaits.back() * 1000,
                gProbeWaits[static_cast<size_t>(static_cast<double>(gProbeWaits.size() - 1) * 0.99)] * 1000,
                gProbeWaits.size());
  icons->SetSpecialFolder(SF_DESKTOP);
  thumbnails->SetSpecialFolder(SF_DESKTOP);
  RemoveFolder(many);
  RemoveFolder(pictures);

  // Until every visible item of 10 000 shows its real icon.
  thumbnails->SetVisible(false);
  icons->SetAlign(alClient);
  const std::wstring large = MakeFolder(L"twinscope-pictures-bench-10000", 10000);
  double ours = 1e9, bare = 1e9, paint = 1e9;
  size_t visible = 0;
  for (int round = 0; round < 3; ++round) {
    icons->SetPath(large);
    icons->Arrived.clear();
    const double begin = Seconds();
    UpdateWindow(icons->GetHandle());
    paint = std::min(paint, Seconds() - begin);
    std::vector<TNsShellListItem*> drawn;
    for (int i = 0; i < icons->GetItems().Count(); ++i)
      if (icons->GetItems()[i]->GetInitialized()) drawn.push_back(icons->GetItems()[i]);
    auto allArrived = [&] {
      for (TNsShellListItem* item : drawn)
        if (icons->Arrived.count(TNsShellList::TagOf(item)) == 0) return false;
      return true;
    };
    while (!allArrived() && Seconds() - begin < 60) {
      Drain();
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
    while (PoolBusy()) Drain();
    icons->SetSpecialFolder(SF_DESKTOP);
  }
  std::printf("10 000 files, %zu visible: every real icon shown after %.1f ms (the first paint, which asks for "
              "them, %.1f ms), bare SHGetFileInfoW loop %.1f ms (ratio %.2f)\n",
              visible, ours * 1000, paint * 1000, bare * 1000, ours / bare);
  RemoveFolder(large);
  return 0;
}
