#include "shell/PathVariables.h"

#include <cwchar>
#include <vector>

#include "toolkit/Strings.h"

namespace ts {

namespace {

std::wstring ExpandEnvironment(const std::wstring& text) {
  if (text.empty()) return text;
  DWORD size = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  if (size == 0) return text;
  std::vector<wchar_t> buffer(size);
  DWORD written = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), size);
  if (written == 0 || written > size) return text;
  return std::wstring(buffer.data());
}

}  // namespace

std::wstring ReplaceDateTimeVariables(const std::wstring& text, const SYSTEMTIME& date, const SYSTEMTIME& time) {
  wchar_t dateText[16], timeText[16];
  swprintf(dateText, std::size(dateText), L"%04u-%02u-%02u", date.wYear, date.wMonth, date.wDay);
  swprintf(timeText, std::size(timeText), L"%02u-%02u-%02u", time.wHour, time.wMinute, time.wSecond);
  std::wstring result = StringReplace(text, L"%DATE%", dateText, rfReplaceAll | rfIgnoreCase);
  return StringReplace(result, L"%TIME%", timeText, rfReplaceAll | rfIgnoreCase);
}

std::wstring ExpandPathVariables(const std::wstring& text) {
  std::wstring result = ExpandEnvironment(text);
  SYSTEMTIME date, time;
  GetLocalTime(&date);
  GetLocalTime(&time);
  return ReplaceDateTimeVariables(result, date, time);
}

}  // namespace ts
