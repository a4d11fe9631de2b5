// The list's commands and automatic refresh, against the same work done
// alone, measured in this run:
//   - burst: 1 000 files appear in a shown 10 000-file folder, each told with
//     SHChangeNotify as the shell tells it: how many refreshes the list
//     makes, what the one refresh costs against a SmartRefresh of the same
//     change run alone, and the main thread's longest turn meanwhile;
//   - delete: 1 000 selected files deleted from the list, against the
//     shell's verb alone on the same number of files.
// Arguments name the parts to run (burst, delete; none runs both).
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "BenchClock.h"
#include "BenchFolders.h"
#include "controls/ShellList.h"
#include "shell/NsBrowser.h"
#include "shell/ShellStartup.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/Forms.h"
#include "toolkit/StringList.h"
#include "toolkit/Synchronize.h"
#include "work/GlobalWorkerPool.h"

namespace {

using namespace ts;
using ts::bench::MakeFolder;
using ts::bench::RemoveFolder;
using ts::bench::Seconds;
using ts::bench::TempRoot;

// A list that counts and times its smart refreshes.
class TTimedList : public TNsShellList {
public:
  using TNsShellList::TNsShellList;
  void SmartRefresh() override {
    const double start = Seconds();
    TNsShellList::SmartRefresh();
    LastRefresh = Seconds() - start;
    ++Refreshes;
  }
  void NotifyOperation(TNsShellOperations operation, TStringList* files, const std::wstring& destination) override {
    const double start = Seconds();
    TNsShellList::NotifyOperation(operation, files, destination);
    Notified += Seconds() - start;
  }
  using TNsShellList::GetUpdateTimer;
  int Refreshes = 0;
  double LastRefresh = 0;
  double Notified = 0;
};

// Pumps until done holds; answers the longest message's turn.
template <typename Done>
double PumpUntil(Done done, double limitSeconds = 120) {
  double longest = 0;
  const double end = Seconds() + limitSeconds;
  while (!done() && Seconds() < end) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      CheckSynchronize();
      Sleep(1);
      continue;
    }
    const double start = Seconds();
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    longest = std::max(longest, Seconds() - start);
  }
  return longest;
}

void MakeFiles(const std::wstring& folder, const wchar_t* stem, int count, bool notify) {
  for (int i = 0; i < count; ++i) {
    const std::wstring path = folder + L"\\" + stem + std::to_wstring(100000 + i) + L".txt";
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    if (notify) SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, path.c_str(), nullptr);
  }
}

void DeleteFiles(const std::wstring& folder, const wchar_t* stem, int count) {
  for (int i = 0; i < count; ++i)
    DeleteFileW((folder + L"\\" + stem + std::to_wstring(100000 + i) + L".txt").c_str());
}

BOOL CALLBACK AnswerDialog(HWND window, LPARAM) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (std::wstring(name) == L"#32770" && IsWindowVisible(window)) {
    PostMessageW(window, WM_COMMAND, IDYES, 0);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
  }
  return TRUE;
}

// Answers the shell's confirmation boxes of this thread with Yes.
void CALLBACK AnswerYes(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), AnswerDialog, 0); }

void Burst(TTimedList* list) {
  constexpr int kShown = 10000;
  constexpr int kBurst = 1000;
  const std::wstring folder = MakeFolder(L"twinscope-commands-bench-burst", kShown);
  list->SetPath(folder);
  // A slow timer: the whole burst is told before the one refresh runs.
  list->GetUpdateTimer()->SetInterval(2000);

  // The same change refreshed alone.
  MakeFiles(folder, L"alone ", kBurst, false);
  double start = Seconds();
  list->SmartRefresh();
  const double alone = Seconds() - start;
  DeleteFiles(folder, L"alone ", kBurst);
  list->SmartRefresh();
  PumpUntil([&] { return !list->GetUpdateTimer()->GetEnabled(); }, 10);

  list->Refreshes = 0;
  list->SetAutomaticRefresh(true);
  MakeFiles(folder, L"burst ", kBurst, true);
  const double longest =
      PumpUntil([&] { return list->Refreshes > 0 && !list->GetUpdateTimer()->GetEnabled(); });
  // Anything the burst still has to say comes now.
  const int refreshes = list->Refreshes;
  PumpUntil([] { return false; }, 3);
  std::printf("burst of %d files into a shown %d-file folder: %d refresh(es) (%d after waiting), %d items\n", kBurst,
              kShown, refreshes, list->Refreshes, list->GetItems().Count());
  std::printf("  the refresh %.1f ms, SmartRefresh of the same change alone %.1f ms (ratio %.3f, at most 1.10)\n",
              list->LastRefresh * 1000, alone * 1000, list->LastRefresh / alone);
  std::printf("  the main thread's longest turn %.1f ms (goal under 50 ms)\n", longest * 1000);
  list->SetAutomaticRefresh(false);
  list->SetSpecialFolder(SF_DESKTOP);
  RemoveFolder(folder);
}

void Delete(TTimedList* list) {
  constexpr int kFiles = 1000;
  const std::wstring alone = MakeFolder(L"twinscope-commands-bench-verb", kFiles);
  const std::wstring listed = MakeFolder(L"twinscope-commands-bench-delete", kFiles);
  const UINT_PTR answer = SetTimer(nullptr, 0, 20, AnswerYes);

  // The list first: the verb alone then runs on a folder the shell has seen as often.
  list->SetPath(listed);
  list->SelectAll();
  double verbStarts = 0;
  list->GetBrowser()->OnBeforeShellCommand = [&](TNsBrowser*, const std::wstring&, TNsPathList*, bool&) {
    if (verbStarts == 0) verbStarts = Seconds();
  };
  list->Notified = 0;
  double start = Seconds();
  list->InvokeCommandOnSelected(L"delete");
  const double whole = Seconds() - start;
  const double own = (verbStarts - start) + list->Notified;
  list->GetBrowser()->OnBeforeShellCommand = nullptr;
  // The shell's verb alone, on the same number of names.
  TNsBrowser browser(alone);
  browser.SetShowErrorMessages(false);
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((alone + L"\\*.txt").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do browser.GetMultiObjects()->Add(data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
  }
  start = Seconds();
  browser.InvokeContextMenuCommand(L"delete");
  const double verb = Seconds() - start;

  KillTimer(nullptr, answer);
  std::printf("deleting %d selected files (%d items left in the list)\n", kFiles, list->GetItems().Count());
  std::printf("  the list's own work (paths before the verb, items removed and reported after) %.1f ms\n",
              own * 1000);
  std::printf("  the shell's verb alone %.1f ms: own work / verb %.3f\n", verb * 1000, own / verb);
  std::printf("  the whole command from the list %.1f ms (the verb runs under a shown list: %.3f of alone)\n",
              whole * 1000, (whole - own) / verb);
  list->SetSpecialFolder(SF_DESKTOP);
  RemoveFolder(alone);
  RemoveFolder(listed);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  auto runs = [&](const wchar_t* part) {
    if (argc < 2) return true;
    for (int i = 1; i < argc; ++i)
      if (std::wstring(argv[i]) == part) return true;
    return false;
  };
  TShellLayer shellLayer(GlobalWorkerPoolHooks());
  TForm form(nullptr);
  form.SetBounds(0, 0, 800, 600);
  auto* list = new TTimedList(&form);
  list->SetAlign(alClient);
  list->SetAutomaticRefresh(false);
  list->SetViewStyle(vsReport);
  list->SetParent(&form);
  form.Show();
  if (runs(L"burst")) Burst(list);
  if (runs(L"delete")) Delete(list);
  return 0;
}
