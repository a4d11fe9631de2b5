// Asks Twinscope's main window whether it still answers messages, as the
// monkey run needs to know: exit code 0 when it answered within the limit,
// 1 when it did not, 2 when there is no such window.
//   responsiveness_probe [LIMIT_MS]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kTitlePrefix[] = L"Twinscope - ";

BOOL CALLBACK FindMainWindow(HWND window, LPARAM found) {
  wchar_t title[128] = {};
  GetWindowTextW(window, title, 128);
  if (IsWindowVisible(window) && std::wcsncmp(title, kTitlePrefix, std::wcslen(kTitlePrefix)) == 0) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const UINT limit = argc > 1 ? static_cast<UINT>(_wtoi(argv[1])) : 5000;
  HWND main = nullptr;
  EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&main));
  if (main == nullptr) {
    std::printf("no window\n");
    return 2;
  }
  const DWORD start = GetTickCount();
  DWORD_PTR result = 0;
  if (SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_BLOCK, limit, &result) == 0) {
    std::printf("no answer within %u ms\n", limit);
    return 1;
  }
  std::printf("answered in %lu ms\n", GetTickCount() - start);
  return 0;
}
