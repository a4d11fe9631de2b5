#include "shell/LookAndFeel.h"

#include <shlwapi.h>
#include <uxtheme.h>

#include "shell/ShellFunctions.h"
#include "shell/ShellGlobals.h"

namespace ts {

namespace {

// Whether the control's range in a direction exceeds its page.
bool CanScroll(HWND window, int bar) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  if (!GetScrollInfo(window, bar, &info)) return false;
  return info.nMax - info.nMin - static_cast<int>(info.nPage) > 0;
}

}  // namespace

bool SetAutoComplete(HWND edit, bool fileSystem, bool urls) {
  if (ShellFunctions.SHAutoComplete == nullptr || edit == nullptr) return false;
  DWORD flags = 0;
  if (fileSystem) flags |= SHACF_FILESYSTEM;
  if (urls) flags |= SHACF_URLALL;
  if (flags == 0)
    flags = 0xA0000007;  // auto-append and auto-suggest forced off
  else
    flags |= SHACF_USETAB;
  try {
    return ShellFunctions.SHAutoComplete(edit, flags) == S_OK;
  } catch (...) {
    return false;
  }
}

void AssignIconTitleFont(TFont& font) {
  LOGFONTW logFont{};
  static_assert(sizeof(LOGFONTW) == 92, "the platform's font record");
  if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof logFont, &logFont, 0)) font.AssignLogFont(logFont);
}

void ApplyExplorerListStyle(TCustomListView& list) {
  if (!IsVistaOrLater) return;
  list.SetRowSelect(true);
  list.SetExtendedStyle(LVS_EX_DOUBLEBUFFER, LVS_EX_DOUBLEBUFFER);
  SetWindowTheme(list.GetHandle(), L"explorer", nullptr);
}

void ApplyExplorerTreeStyle(TCustomTreeView& tree) {
  if (!IsVistaOrLater) return;
  SetWindowTheme(tree.GetHandle(), L"explorer", nullptr);
  // Only the fading buttons: a mask of 0 would clear every other extended
  // style the tree has, its double buffering among them.
  tree.SetExtendedStyle(TVS_EX_FADEINOUTEXPANDOS, TVS_EX_FADEINOUTEXPANDOS);
  tree.SetShowLines(false);
}

void AutoScrollControl(TWinControl& control, POINT point) {
  HWND window = control.GetHandle();
  RECT client;
  GetClientRect(window, &client);
  if (point.x < client.left + 25) {
    if (CanScroll(window, SB_HORZ)) SendMessageW(window, WM_HSCROLL, SB_LINEUP, 0);
  } else if (point.x > client.right - 25) {
    if (CanScroll(window, SB_HORZ)) SendMessageW(window, WM_HSCROLL, SB_LINEDOWN, 0);
  }
  if (point.y < client.top + 20) {
    if (CanScroll(window, SB_VERT)) SendMessageW(window, WM_VSCROLL, SB_LINEUP, 0);
  } else if (point.y > client.bottom - 20) {
    if (CanScroll(window, SB_VERT)) SendMessageW(window, WM_VSCROLL, SB_LINEDOWN, 0);
  }
}

}  // namespace ts
