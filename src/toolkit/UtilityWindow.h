#pragma once
// A hidden window that a non-visual component receives messages on. Messages
// go to the handler; what escapes it goes to the application's handler.
#include <windows.h>

#include <functional>

namespace ts {

using TWindowMessageHandler = std::function<LRESULT(HWND window, UINT message, WPARAM wParam, LPARAM lParam)>;

class TUtilityWindow {
public:
  explicit TUtilityWindow(TWindowMessageHandler handler);
  ~TUtilityWindow();
  TUtilityWindow(const TUtilityWindow&) = delete;
  TUtilityWindow& operator=(const TUtilityWindow&) = delete;

  HWND GetHandle() const noexcept { return fHandle; }

private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  TWindowMessageHandler fHandler;
  HWND fHandle = nullptr;
};

}  // namespace ts
