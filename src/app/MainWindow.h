#pragma once
// The program's main window. For now an empty frame captioned "Twinscope";
// closing it ends the program.
#include <windows.h>

namespace ts {

class TMainWindow {
public:
  TMainWindow();
  ~TMainWindow();
  TMainWindow(const TMainWindow&) = delete;
  TMainWindow& operator=(const TMainWindow&) = delete;

  HWND GetHandle() const noexcept { return fHandle; }
  void Show();

private:
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND fHandle = nullptr;
};

}  // namespace ts
