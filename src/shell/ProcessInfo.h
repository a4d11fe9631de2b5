#pragma once
#include <windows.h>

namespace ts {

// A 32-bit process on a 64-bit system.
bool IsWow64();
// The main form's window, else the application window, else 0.
HWND GetMainWindowHandle();

}  // namespace ts
