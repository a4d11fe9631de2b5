#include "toolkit/UtilityWindow.h"

#include "toolkit/Application.h"
#include "toolkit/Exception.h"

namespace ts {

namespace {

constexpr wchar_t kUtilityWindowClass[] = L"TPUtilWindow";

}  // namespace

TUtilityWindow::TUtilityWindow(TWindowMessageHandler handler) : fHandler(std::move(handler)) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  if (!GetClassInfoW(instance, kUtilityWindowClass, &wc)) {
    wc.lpfnWndProc = &TUtilityWindow::WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kUtilityWindowClass;
    RegisterClassW(&wc);
  }
  // A top-level window that is never shown, so that broadcasts reach it too.
  fHandle = CreateWindowExW(WS_EX_TOOLWINDOW, kUtilityWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            instance, nullptr);
  if (fHandle == nullptr) RaiseLastOSError();
  SetWindowLongPtrW(fHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TUtilityWindow::~TUtilityWindow() {
  if (fHandle != nullptr) {
    SetWindowLongPtrW(fHandle, GWLP_USERDATA, 0);
    DestroyWindow(fHandle);
  }
}

LRESULT CALLBACK TUtilityWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TUtilityWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || !self->fHandler) return DefWindowProcW(window, message, wParam, lParam);
  try {
    return self->fHandler(window, message, wParam, lParam);
  } catch (...) {
    Application->HandleException();
    return 0;
  }
}

}  // namespace ts
