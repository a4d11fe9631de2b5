#include "support/MessagePump.h"

#include <windows.h>

#include <memory>

#include "toolkit/Synchronize.h"

namespace ts::test {

namespace {

void PumpWaiting() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // Calls of worker threads wait here too when no window carries their wake-up.
  CheckSynchronize();
}

constexpr UINT kPostedCall = WM_APP + 0x51;

LRESULT CALLBACK PostedCallProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kPostedCall) {
    std::unique_ptr<std::function<void()>> call(reinterpret_cast<std::function<void()>*>(lParam));
    try {
      (*call)();
    } catch (...) {
      // A test's call reports through its own assertions.
    }
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND PostedCallWindow() {
  thread_local HWND window = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &PostedCallProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TsTestPostedCall";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  }();
  return window;
}

}  // namespace

void PostCall(std::function<void()> call) {
  auto* posted = new std::function<void()>(std::move(call));
  if (!PostMessageW(PostedCallWindow(), kPostedCall, 0, reinterpret_cast<LPARAM>(posted))) delete posted;
}

bool PumpMessagesUntil(const std::function<bool()>& condition, unsigned timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    PumpWaiting();
    if (condition()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return condition();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now < 20 ? deadline - now : 20),
                              QS_ALLINPUT);
  }
}

void PumpMessagesFor(unsigned milliseconds) {
  PumpMessagesUntil([] { return false; }, milliseconds);
}

}  // namespace ts::test
