#include "support/KeyInput.h"

#include "toolkit/Application.h"
#include "toolkit/Synchronize.h"

namespace ts::test {

namespace {

// The thread's view of the Shift key for the length of a scope.
class TShiftHeld {
public:
  explicit TShiftHeld(bool held) : fHeld(held) {
    if (!fHeld) return;
    GetKeyboardState(fSaved);
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
    SetKeyboardState(state);
  }
  ~TShiftHeld() {
    if (fHeld) SetKeyboardState(fSaved);
  }
  TShiftHeld(const TShiftHeld&) = delete;
  TShiftHeld& operator=(const TShiftHeld&) = delete;

private:
  bool fHeld;
  BYTE fSaved[256]{};
};

LPARAM KeyData(WORD key, bool up, bool alt) {
  const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  LPARAM data = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
  if (alt) data |= 1 << 29;
  if (up) data |= (1 << 30) | (static_cast<LPARAM>(1) << 31);
  return data;
}

void RunLoop() { Application->ProcessMessages(); }

}  // namespace

void PressKey(WORD key, bool shift) {
  TShiftHeld held(shift);
  HWND focus = GetFocus();
  PostMessageW(focus, WM_KEYDOWN, key, KeyData(key, false, false));
  RunLoop();
  PostMessageW(GetFocus(), WM_KEYUP, key, KeyData(key, true, false));
  RunLoop();
}

void TypeChar(wchar_t character) {
  PostMessageW(GetFocus(), WM_CHAR, character, KeyData(VkKeyScanW(character) & 0xFF, false, false));
  RunLoop();
}

void TypeAltChar(wchar_t character) {
  PostMessageW(GetFocus(), WM_SYSCHAR, character, KeyData(VkKeyScanW(character) & 0xFF, false, true));
  RunLoop();
}

bool PumpApplicationUntil(const std::function<bool()>& condition, unsigned timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    RunLoop();
    CheckSynchronize();
    if (condition()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return condition();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now < 20 ? deadline - now : 20),
                              QS_ALLINPUT);
  }
}

}  // namespace ts::test
