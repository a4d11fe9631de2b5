#include "toolkit/Exception.h"

#include <windows.h>

namespace ts {

namespace {

std::wstring SystemMessage(uint32_t code) {
  wchar_t buffer[1024];
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
  std::wstring text(buffer, length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'.'))
    text.pop_back();
  return text;
}

}  // namespace

std::string WideToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
  return result;
}

Exception::Exception(std::wstring message) : fMessage(std::move(message)), fNarrow(WideToUtf8(fMessage)) {}

Exception::~Exception() = default;

void Exception::SetMessage(std::wstring message) {
  fMessage = std::move(message);
  fNarrow = WideToUtf8(fMessage);
}

EOSError::EOSError(std::wstring message, uint32_t errorCode) : Exception(std::move(message)), fErrorCode(errorCode) {}

EOleSysError::EOleSysError(std::wstring message, int32_t errorCode)
    : Exception(std::move(message)), fErrorCode(errorCode) {}

void RaiseLastOSError() { RaiseLastOSError(GetLastError()); }

void RaiseLastOSError(uint32_t errorCode) {
  if (errorCode == 0) throw EOSError(L"A call to an OS function failed", 0);
  throw EOSError(L"System Error.  Code: " + std::to_wstring(errorCode) + L".\r\n" + SystemMessage(errorCode),
                 errorCode);
}

void OleCheck(int32_t result) {
  if (result >= 0) return;
  std::wstring text = SystemMessage(static_cast<uint32_t>(result));
  if (text.empty()) {
    wchar_t hex[16];
    swprintf(hex, std::size(hex), L"%08X", static_cast<unsigned>(result));
    text = L"OLE error " + std::wstring(hex);
  }
  throw EOleSysError(text, result);
}

void Abort() { throw EAbort(L"Operation aborted"); }

}  // namespace ts
