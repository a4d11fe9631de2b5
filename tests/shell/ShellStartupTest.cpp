// The shell layer's start-up and shut-down in a process of their own, so
// that each case starts from nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/NsBrowserError.h"
#include "shell/ShellFunctions.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellStartup.h"
#include "shell/StrRet.h"
#include "toolkit/Application.h"
#include "toolkit/MenuCommandIds.h"

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
    hooks.BeforeLibrariesUnloaded = [&] {
      log.push_back(ShellLibrariesLoaded() && !ShellObjectsCreated() && DesktopFolder == nullptr
                        ? "pool destroyed between the steps"
                        : "pool destroyed at the wrong time");
    };
    TShellLayer layer(hooks);
    EXPECT_TRUE(ShellObjectsCreated());
    EXPECT_NE(DesktopFolder, nullptr);
    log.push_back("running");
  }
  EXPECT_EQ(log, (std::vector<std::string>{"pool created between the steps", "running",
                                           "pool destroyed between the steps"}));
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

// Answers the message box that the call under test shows, and keeps its text.
std::wstring gBoxText;
int gBoxes = 0;

BOOL CALLBACK CloseMessageBox(HWND wnd, LPARAM) {
  wchar_t className[16];
  GetClassNameW(wnd, className, 16);
  if (std::wstring(className) != L"#32770") return TRUE;
  wchar_t text[512] = {};
  GetDlgItemTextW(wnd, 0xFFFF, text, 512);
  gBoxText = text;
  ++gBoxes;
  PostMessageW(wnd, WM_COMMAND, IDOK, 0);
  return FALSE;
}

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), CloseMessageBox, 0); }

// Last in this program: it asks the application to terminate.
TEST(ShellStartup, MissingStrRetConversionIsReportedOnceAndEndsTheProgram) {
  TShellLayer layer;
  ShellFunctions.StrRetToStrW = nullptr;
  STRRET name{};
  name.uType = STRRET_CSTR;
  strcpy(name.cStr, "x");
  UINT_PTR timer = SetTimer(nullptr, 0, 50, AnswerBox);
  EXPECT_EQ(StrRetToString(nullptr, name), L"");
  EXPECT_EQ(StrRetToString(nullptr, name), L"");
  KillTimer(nullptr, timer);
  EXPECT_EQ(gBoxes, 1);
  EXPECT_EQ(gBoxText,
            L"A Dll, which is needed to execute this program, is not installed. \r\n"
            L"Please install Internet Explorer 5.5 or higher to use this program.");
  EXPECT_TRUE(Application->GetTerminated());
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

}  // namespace
}  // namespace ts
