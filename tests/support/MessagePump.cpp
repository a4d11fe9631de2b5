#include "support/MessagePump.h"

#include <windows.h>

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

}  // namespace

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
