#include "shell/SystemErrorText.h"

#include <windows.h>

#include "toolkit/Strings.h"

namespace ts {

std::wstring GetSystemErrorText(int code) {
  wchar_t buffer[1024] = {};
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           static_cast<DWORD>(code), 0, buffer, 1023, nullptr);
  return Trim(std::wstring(buffer, n));
}

}  // namespace ts
