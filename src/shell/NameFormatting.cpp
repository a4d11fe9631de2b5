#include "shell/NameFormatting.h"

#include "shell/ShellFunctions.h"
#include "toolkit/Strings.h"

namespace ts {

int CompareNamesLogical(const std::wstring& a, const std::wstring& b) {
  if (ShellFunctions.StrCmpLogicalW != nullptr) return ShellFunctions.StrCmpLogicalW(a.c_str(), b.c_str());
  return CompareText(a, b);
}

std::wstring FormatByteSize(int64_t size) {
  // -1 stands for an unknown size everywhere in the system.
  if (size < 0 || ShellFunctions.StrFormatByteSizeW == nullptr) return {};
  wchar_t buffer[256] = {};
  if (ShellFunctions.StrFormatByteSizeW(size, buffer, 255) == nullptr) return {};
  std::wstring text(buffer);
  return text.find(L"-1") != std::wstring::npos ? std::wstring() : text;
}

}  // namespace ts
