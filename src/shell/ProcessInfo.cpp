#include "shell/ProcessInfo.h"

#include "shell/ShellFunctions.h"
#include "toolkit/Application.h"

namespace ts {

bool IsWow64() {
  if (ShellFunctions.IsWow64Process == nullptr) return false;
  BOOL wow64 = FALSE;
  return ShellFunctions.IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

HWND GetMainWindowHandle() {
  if (HWND main = Application->GetMainFormHandle()) return main;
  return Application->GetHandle();
}

bool RunningOnWine() {
  static const bool wine = [] {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }();
  return wine;
}

}  // namespace ts
