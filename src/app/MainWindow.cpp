#include "app/MainWindow.h"

#include "toolkit/Application.h"
#include "toolkit/Exception.h"

namespace ts {

namespace {
constexpr wchar_t kWindowClass[] = L"TTwinscopeMainWindow";
}

TMainWindow::TMainWindow() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  RegisterClassExW(&wc);
  fHandle = CreateWindowExW(0, kWindowClass, L"Twinscope", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 1000,
                            720, Application->GetHandle(), nullptr, instance, nullptr);
  if (fHandle == nullptr) RaiseLastOSError();
  Application->SetMainFormHandle(fHandle);
}

TMainWindow::~TMainWindow() {
  Application->SetMainFormHandle(nullptr);
  if (fHandle != nullptr && IsWindow(fHandle)) DestroyWindow(fHandle);
}

void TMainWindow::Show() {
  ShowWindow(fHandle, SW_SHOWNORMAL);
  UpdateWindow(fHandle);
}

LRESULT CALLBACK TMainWindow::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  try {
    if (msg == WM_DESTROY) {
      Application->Terminate();
      return 0;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
  } catch (...) {
    Application->HandleException();
    return 0;
  }
}

}  // namespace ts
