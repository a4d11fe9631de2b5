// The shell layer's start-up and shut-down in a process of their own, so
// that each case starts from nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "shell/NsBrowserError.h"
#include "shell/ShellFunctions.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellStartup.h"
#include "shell/StrRet.h"
#include "support/FreeCounter.h"
#include "toolkit/Application.h"
#include "toolkit/MenuCommandIds.h"
#include "toolkit/Synchronize.h"

namespace ts {
namespace {

std::wstring StartupError(const TShellLibraryNames& names) {
  try {
    LoadShellLibraries(names);
  } catch (const ENsBrowserError& e) {
    return e.Message();
  }
  UnloadShellLibraries();
  return L"(no error)";
}

TEST(ShellStartup, MissingShellLibraryStopsTheStartUp) {
  TShellLibraryNames names;
  names.Shell32 = L"no-such-shell32.dll";
  EXPECT_EQ(StartupError(names), L"RizezIvoruvi Components: Cannot open SHELL32.DLL!");
  EXPECT_FALSE(ShellLibrariesLoaded());
  EXPECT_EQ(ShellFunctions.SHGetImageList, nullptr);
}

TEST(ShellStartup, MissingShlwapiStopsTheStartUpAndUnbindsShell32) {
  TShellLibraryNames names;
  names.Shlwapi = L"no-such-shlwapi.dll";
  EXPECT_EQ(StartupError(names), L"RizezIvoruvi Components: Cannot open SHLWAPI.DLL!");
  EXPECT_FALSE(ShellLibrariesLoaded());
  EXPECT_EQ(ShellFunctions.SHChangeNotifyRegister, nullptr);
  EXPECT_TRUE(NewFolderCaption.empty());
}

TEST(ShellStartup, MissingKernelEntriesAreSilentlyNull) {
  TShellLibraryNames names;
  names.Kernel32 = L"no-such-kernel32.dll";
  LoadShellLibraries(names);
  EXPECT_TRUE(ShellLibrariesLoaded());
  EXPECT_EQ(ShellFunctions.IsWow64Process, nullptr);
  EXPECT_NE(ShellFunctions.StrRetToStrW, nullptr);
  UnloadShellLibraries();
}

TEST(ShellStartup, StepsRunInOrderAndShutDownInReverse) {
  std::vector<std::string> log;
  {
    TShellLayerHooks hooks;
    hooks.AfterLibrariesLoaded = [&] {
      log.push_back(ShellLibrariesLoaded() && !ShellObjectsCreated() ? "pool created between the steps"
                                                                     : "pool created at the wrong time");
    };
    // Its jobs still use the shell objects until the pool has stopped them.
    hooks.BeforeShellObjectsReleased = [&] {
      log.push_back(ShellObjectsCreated() && DesktopFolder != nullptr && ThumbnailLock != nullptr
                        ? "pool destroyed before the shell objects"
                        : "pool destroyed at the wrong time");
    };
    TShellLayer layer(hooks);
    EXPECT_TRUE(ShellObjectsCreated());
    EXPECT_NE(DesktopFolder, nullptr);
    log.push_back("running");
  }
  EXPECT_EQ(log, (std::vector<std::string>{"pool created between the steps", "running",
                                           "pool destroyed before the shell objects"}));
  EXPECT_EQ(DesktopFolder, nullptr);
  EXPECT_EQ(ThumbnailLock, nullptr);
  EXPECT_FALSE(ShellLibrariesLoaded());
  // The reserved menu identifiers are free again.
  int id = AllocateMenuCommandId();
  EXPECT_EQ(id, 0);
  ReleaseMenuCommandId(id);
}

TEST(ShellStartup, LayerCanBeStartedAgainAfterShutDown) {
  { TShellLayer first; }
  TShellLayer second;
  EXPECT_NE(DesktopFolder, nullptr);
  EXPECT_NE(ShellFunctions.StrRetToStrW, nullptr);
}

// Answers every message box of this process, noting its text and thread.
struct TShownBox {
  HWND Window;
  std::wstring Text;
  DWORD Thread;
};
std::vector<TShownBox> gBoxes;

BOOL CALLBACK CloseMessageBox(HWND wnd, LPARAM) {
  wchar_t className[16] = {};
  GetClassNameW(wnd, className, 16);
  DWORD process = 0;
  const DWORD thread = GetWindowThreadProcessId(wnd, &process);
  if (process != GetCurrentProcessId() || std::wstring(className) != L"#32770" || !IsWindowVisible(wnd)) return TRUE;
  for (const TShownBox& box : gBoxes)
    if (box.Window == wnd) return TRUE;  // already answered, still closing
  wchar_t text[512] = {};
  GetDlgItemTextW(wnd, 0xFFFF, text, 512);
  gBoxes.push_back({wnd, text, thread});
  PostMessageW(wnd, WM_COMMAND, IDOK, 0);
  return TRUE;
}

void CALLBACK AnswerBoxes(HWND, UINT, UINT_PTR, DWORD) { EnumWindows(CloseMessageBox, 0); }

// A display name as a folder hands it out: a wide string of the task
// allocator, which the conversion releases.
STRRET FolderName(const wchar_t* text) {
  STRRET name{};
  name.uType = STRRET_WSTR;
  const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
  name.pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
  memcpy(name.pOleStr, text, bytes);
  std::lock_guard<std::mutex> guard(test::FreeCounter().Lock);
  test::FreeCounter().Watched.insert(name.pOleStr);
  return name;
}

// Last in this program: it asks the application to terminate.
TEST(ShellStartup, MissingStrRetConversionIsReportedOnceOnTheMainThreadAndEndsTheProgram) {
  TShellLayer layer;
  test::TFreeCounter& spy = test::FreeCounter();
  spy.Watched.clear();
  spy.Freed = 0;
  ShellFunctions.StrRetToStrW = nullptr;

  // Workers ask at the same time; the main thread runs what they hand it.
  constexpr int kThreads = 6, kCalls = 20;
  std::atomic<int> finished{0}, answered{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < kCalls; ++i)
        if (!StrRetToString(nullptr, FolderName(L"name")).empty()) ++answered;
      ++finished;
    });
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, AnswerBoxes);
  bool quitSeen = false;
  const DWORD start = GetTickCount();
  while (finished < kThreads && GetTickCount() - start < 60000) {
    CheckSynchronize();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) quitSeen = true;
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  ASSERT_EQ(finished, kThreads) << "the workers did not finish";
  for (std::thread& thread : threads) thread.join();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message == WM_QUIT) quitSeen = true;

  // From the main thread afterwards: no box again.
  EXPECT_EQ(StrRetToString(nullptr, FolderName(L"late")), L"");
  KillTimer(nullptr, timer);

  ASSERT_EQ(gBoxes.size(), 1u);
  EXPECT_EQ(gBoxes[0].Thread, GetCurrentThreadId());
  EXPECT_EQ(gBoxes[0].Text,
            L"A Dll, which is needed to execute this program, is not installed. \r\n"
            L"Please install Internet Explorer 5.5 or higher to use this program.");
  EXPECT_EQ(answered, 0);
  EXPECT_TRUE(Application->GetTerminated());
  EXPECT_TRUE(quitSeen);  // the request to end reached the main thread's queue
  // Every folder's string was released, as the conversion would have.
  EXPECT_EQ(spy.Freed, kThreads * kCalls + 1);
  EXPECT_TRUE(spy.Watched.empty());
}

}  // namespace
}  // namespace ts
