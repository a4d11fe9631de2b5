#include "support/MenuDriver.h"

namespace ts::test {

namespace {

// The timer runs in the menu's own loop; a tick is short, and the limit
// generous (each key moves the selection by one entry).
constexpr UINT kTickMs = 30;
constexpr int kMaxTicks = 1000;

thread_local TMenuDriver* tMenuDriver = nullptr;
thread_local TDialogAnswerer* tDialogAnswerer = nullptr;

struct TWindowSearch {
  const wchar_t* ClassName;
  HWND Found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<TWindowSearch*>(parameter);
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  if (wcscmp(name, search->ClassName) == 0 && IsWindowVisible(window)) {
    search->Found = window;
    return FALSE;
  }
  return TRUE;
}

// A visible top-level window of the class, made by this thread.
HWND FindThreadWindow(const wchar_t* className) {
  TWindowSearch search{className, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

std::wstring StripAccelerator(const std::wstring& text) {
  std::wstring plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;
    if (text[i] == L'\t') break;
    plain += text[i];
  }
  return plain;
}

std::vector<TShownMenuItem> ReadMenu(HMENU menu) {
  std::vector<TShownMenuItem> items;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = L"";
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 255;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    TShownMenuItem item;
    item.Separator = (info.fType & MFT_SEPARATOR) != 0;
    item.SubMenu = info.hSubMenu != nullptr;
    item.Command = item.Separator ? 0 : info.wID;
    item.Caption = (info.fType & MFT_OWNERDRAW) != 0 ? std::wstring() : StripAccelerator(text);
    items.push_back(item);
  }
  return items;
}

}  // namespace

TMenuDriver::TMenuDriver(UINT command) : TMenuDriver([command](const std::vector<TShownMenuItem>&) { return command; }) {}

TMenuDriver::TMenuDriver(TChooser chooser) : fChooser(std::move(chooser)) {
  tMenuDriver = this;
  fTimer = SetTimer(nullptr, 0, kTickMs, &TMenuDriver::Tick);
}

TMenuDriver::~TMenuDriver() {
  KillTimer(nullptr, fTimer);
  if (tMenuDriver == this) tMenuDriver = nullptr;
}

int TMenuDriver::IndexOfCaption(const std::wstring& caption) const {
  for (size_t i = 0; i < fShown.size(); ++i)
    if (fShown[i].Caption == caption) return static_cast<int>(i);
  return -1;
}

int TMenuDriver::IndexOfCommand(UINT command) const {
  for (size_t i = 0; i < fShown.size(); ++i)
    if (!fShown[i].Separator && fShown[i].Command == command) return static_cast<int>(i);
  return -1;
}

void CALLBACK TMenuDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
  TMenuDriver* driver = tMenuDriver;
  if (driver == nullptr || driver->fDone) return;
  if (HWND menuWindow = FindThreadWindow(L"#32768")) driver->Step(menuWindow);
}

void TMenuDriver::Step(HWND menuWindow) {
  auto* menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
  if (menu == nullptr) return;
  if (!fSeen) {
    fSeen = true;
    fShown = ReadMenu(menu);
  }
  if (++fTicks > kMaxTicks) {
    fGaveUp = true;
    fDone = true;
    PostMessageW(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    return;
  }
  if (ReadyWhen && !ReadyWhen()) return;
  if (!fChosen) {
    fChosen = true;
    fTarget = fChooser ? fChooser(fShown) : 0;
  }
  if (fTarget == 0) {
    fDone = true;
    PostMessageW(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    return;
  }
  // One entry further each tick until the target is highlighted, then Enter.
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if ((GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) == 0) continue;
    if (GetSubMenu(menu, i) == nullptr && GetMenuItemID(menu, i) == fTarget) {
      fDone = true;
      PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
      return;
    }
    break;
  }
  PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
}

TDialogAnswerer::TDialogAnswerer(int button) : fButton(button) {
  tDialogAnswerer = this;
  fTimer = SetTimer(nullptr, 0, kTickMs, &TDialogAnswerer::Tick);
}

TDialogAnswerer::~TDialogAnswerer() {
  KillTimer(nullptr, fTimer);
  if (tDialogAnswerer == this) tDialogAnswerer = nullptr;
}

void CALLBACK TDialogAnswerer::Tick(HWND, UINT, UINT_PTR, DWORD) {
  TDialogAnswerer* answerer = tDialogAnswerer;
  if (answerer == nullptr) return;
  HWND dialog = FindThreadWindow(L"#32770");
  if (dialog != nullptr && dialog != answerer->fLastDialog) {
    answerer->fLastDialog = dialog;
    wchar_t caption[256] = L"";
    GetWindowTextW(dialog, caption, 256);
    answerer->fLastCaption = caption;
    ++answerer->fAnswered;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answerer->fButton, BN_CLICKED), 0);
  }
}

}  // namespace ts::test
