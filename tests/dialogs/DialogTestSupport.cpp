#include "DialogTestSupport.h"

namespace ts::test {

namespace {

thread_local TMessageBoxReader* tReader = nullptr;

BOOL CALLBACK FindBox(HWND window, LPARAM parameter) {
  wchar_t name[16] = L"";
  GetClassNameW(window, name, 16);
  if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(parameter) = window;
  return FALSE;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM parameter) {
  wchar_t name[16] = L"";
  GetClassNameW(child, name, 16);
  if (_wcsicmp(name, L"Static") != 0) return TRUE;
  wchar_t text[1024] = L"";
  GetWindowTextW(child, text, 1024);
  *reinterpret_cast<std::wstring*>(parameter) += text;
  return TRUE;
}

}  // namespace

TMessageBoxReader::TMessageBoxReader() {
  tReader = this;
  fTimer = SetTimer(nullptr, 0, 30, &TMessageBoxReader::Tick);
}

TMessageBoxReader::~TMessageBoxReader() {
  KillTimer(nullptr, fTimer);
  if (tReader == this) tReader = nullptr;
}

void CALLBACK TMessageBoxReader::Tick(HWND, UINT, UINT_PTR, DWORD) {
  TMessageBoxReader* reader = tReader;
  if (reader == nullptr) return;
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&box));
  if (box == nullptr || box == reader->fLastBox) return;
  reader->fLastBox = box;
  TShownBox shown;
  wchar_t caption[256] = L"";
  GetWindowTextW(box, caption, 256);
  shown.Caption = caption;
  EnumChildWindows(box, &CollectStaticText, reinterpret_cast<LPARAM>(&shown.Text));
  reader->fShown.push_back(shown);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace ts::test
