#include "toolkit/Themes.h"

#include <shlwapi.h>
#include <uxtheme.h>
#include <vssym32.h>

namespace ts {

DWORD CommonControlsMajorVersion() {
  HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
  if (comctl == nullptr) return 0;
  auto getVersion =
      reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
  if (getVersion == nullptr) return 0;
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  return SUCCEEDED(getVersion(&info)) ? info.dwMajorVersion : 0;
}

bool ThemeServicesEnabled() { return CommonControlsMajorVersion() >= 6 && IsAppThemed() && IsThemeActive(); }

COLORREF HeaderBackgroundColor() {
  if (ThemeServicesEnabled()) {
    if (HTHEME theme = OpenThemeData(nullptr, L"HEADER")) {
      COLORREF color = 0;
      const HRESULT hr = GetThemeColor(theme, HP_HEADERITEM, HIS_NORMAL, TMT_FILLCOLOR, &color);
      CloseThemeData(theme);
      if (SUCCEEDED(hr)) return color;
    }
  }
  return GetSysColor(COLOR_BTNFACE);
}

}  // namespace ts
