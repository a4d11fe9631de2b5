#pragma once
// Keys as the user presses them: held in the thread's keyboard state, and
// sent to a window as it receives them.
#include <windows.h>

#include <algorithm>
#include <initializer_list>
#include <iterator>

namespace ts::test {

// Holds keys down in the thread's keyboard state for a scope, as the
// platform's key-state questions see them.
class THeldKeys {
public:
  explicit THeldKeys(std::initializer_list<int> keys) {
    GetKeyboardState(fSaved);
    BYTE state[256];
    std::copy(std::begin(fSaved), std::end(fSaved), std::begin(state));
    for (int key : keys) state[key] = 0x80;
    SetKeyboardState(state);
  }
  ~THeldKeys() { SetKeyboardState(fSaved); }
  THeldKeys(const THeldKeys&) = delete;
  THeldKeys& operator=(const THeldKeys&) = delete;

private:
  BYTE fSaved[256];
};

// A key as the window receives it: down, its character, up.
inline void PressKey(HWND window, WORD key, bool system = false) {
  SendMessageW(window, system ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 0);
  SendMessageW(window, system ? WM_SYSKEYUP : WM_KEYUP, key, 0xC0000000);
}
inline void TypeChar(HWND window, wchar_t c) { SendMessageW(window, WM_CHAR, c, 0); }

}  // namespace ts::test
