#pragma once
// Keys as the keyboard hands them to the focused window, run through the
// application's message loop, which gives the keyboard interface of dialogs
// (Tab, Enter, Esc, access keys) to the forms.
#include <windows.h>

#include <functional>

namespace ts::test {

// A key pressed and released in the focused window, with Shift held when
// asked; the loop has handled it when this returns.
void PressKey(WORD key, bool shift = false);
// A character typed in the focused window.
void TypeChar(wchar_t character);
// A letter typed with Alt held (an access key).
void TypeAltChar(wchar_t character);

// Pumps through the application's message loop until condition holds or
// timeoutMs passes; answers the condition.
bool PumpApplicationUntil(const std::function<bool()>& condition, unsigned timeoutMs = 5000);

}  // namespace ts::test
