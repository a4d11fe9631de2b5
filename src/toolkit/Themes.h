#pragma once
// Whether the program's controls are drawn by the platform's visual themes,
// and the version of the common controls that draws them.
#include <windows.h>

namespace ts {

// The major version of the common controls the process uses: 6 with the
// program's manifest, 5 without it, 0 when it cannot be told.
DWORD CommonControlsMajorVersion();
// Version-6 common controls and a theme active for the program.
bool ThemeServicesEnabled();
// The fill colour of a normal header item under the active theme, or the
// button face colour without themes.
COLORREF HeaderBackgroundColor();

}  // namespace ts
