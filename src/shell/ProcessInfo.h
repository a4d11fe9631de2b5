#pragma once
#include <windows.h>

namespace ts {

// A 32-bit process on a 64-bit system.
bool IsWow64();
// Running on Wine rather than on Windows (ntdll's wine_get_version): where
// Wine's shell lacks what Windows' gives, the program does the work itself.
bool RunningOnWine();
// The main form's window, else the application window, else 0.
HWND GetMainWindowHandle();

}  // namespace ts
