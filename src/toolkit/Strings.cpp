#include "toolkit/Strings.h"

#include <windows.h>

#include <cwchar>

namespace ts {

namespace {

int Compare(std::wstring_view a, std::wstring_view b, DWORD flags) {
  if (a.empty() || b.empty()) return a.empty() ? (b.empty() ? 0 : -1) : 1;
  int r = CompareStringW(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()), b.data(),
                         static_cast<int>(b.size()));
  if (r == 0) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
  return r - CSTR_EQUAL;
}

}  // namespace

std::wstring UpperCase(std::wstring_view text) {
  std::wstring s(text);
  if (!s.empty()) CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

std::wstring LowerCase(std::wstring_view text) {
  std::wstring s(text);
  if (!s.empty()) CharLowerBuffW(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

int CompareStr(std::wstring_view a, std::wstring_view b) { return Compare(a, b, 0); }

int CompareText(std::wstring_view a, std::wstring_view b) { return Compare(a, b, NORM_IGNORECASE); }

bool SameText(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}

bool StartsText(std::wstring_view prefix, std::wstring_view text) {
  return prefix.size() <= text.size() && SameText(prefix, text.substr(0, prefix.size()));
}

bool EndsText(std::wstring_view suffix, std::wstring_view text) {
  return suffix.size() <= text.size() && SameText(suffix, text.substr(text.size() - suffix.size()));
}

size_t FindText(std::wstring_view text, std::wstring_view needle, size_t from) {
  return UpperCase(text).find(UpperCase(needle), from);
}

std::wstring StringReplace(std::wstring_view text, std::wstring_view oldPattern, std::wstring_view newPattern,
                           unsigned flags) {
  if (oldPattern.empty()) return std::wstring(text);
  const bool ignoreCase = (flags & rfIgnoreCase) != 0;
  const std::wstring searchIn = ignoreCase ? UpperCase(text) : std::wstring(text);
  const std::wstring searchFor = ignoreCase ? UpperCase(oldPattern) : std::wstring(oldPattern);
  std::wstring result;
  size_t pos = 0;
  while (true) {
    size_t hit = searchIn.find(searchFor, pos);
    if (hit == std::wstring::npos) break;
    result.append(text.substr(pos, hit - pos));
    result.append(newPattern);
    pos = hit + oldPattern.size();
    if ((flags & rfReplaceAll) == 0) break;
  }
  result.append(text.substr(pos));
  return result;
}

std::wstring Trim(std::wstring_view text) {
  size_t first = 0, last = text.size();
  while (first < last && text[first] <= L' ') ++first;
  while (last > first && text[last - 1] <= L' ') --last;
  return std::wstring(text.substr(first, last - first));
}

bool TryStrToInt(std::wstring_view text, long long& value) {
  std::wstring s(text);
  if (s.empty()) return false;
  wchar_t* end = nullptr;
  errno = 0;
  long long v = wcstoll(s.c_str(), &end, 10);
  if (errno != 0 || end == s.c_str() || *end != L'\0') return false;
  value = v;
  return true;
}

}  // namespace ts
