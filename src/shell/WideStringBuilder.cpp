#include "shell/WideStringBuilder.h"

#include <cstdlib>
#include <cstring>

#include "toolkit/Exception.h"
#include "toolkit/StringList.h"

namespace ts {

TWideStringBuilder::~TWideStringBuilder() { std::free(fString); }

void TWideStringBuilder::Clear() noexcept {
  std::free(fString);
  fString = nullptr;
  fLength = 0;
  fAllocated = 0;
}

void TWideStringBuilder::Append(const std::wstring& s) {
  // Room for the counted characters and the zero that always follows them.
  const int64_t counted = static_cast<int64_t>(s.size()) + (fIncludeTrailingZeroCharacter ? 1 : 0);
  const int64_t needed = (static_cast<int64_t>(fLength) + counted) * 2 + 2;
  if (needed > INT32_MAX) throw EOutOfMemory(L"Out of memory");
  if (needed >= fAllocated) {
    int64_t allocated = fAllocated;
    while (needed >= allocated) allocated += fAllocBy;
    if (allocated > INT32_MAX) throw EOutOfMemory(L"Out of memory");
    void* grown = std::realloc(fString, static_cast<size_t>(allocated));
    if (grown == nullptr) throw EOutOfMemory(L"Out of memory");
    fString = static_cast<wchar_t*>(grown);
    fAllocated = static_cast<int32_t>(allocated);
  }
  std::memcpy(fString + fLength, s.data(), s.size() * sizeof(wchar_t));
  fString[fLength + static_cast<int32_t>(s.size())] = L'\0';
  fLength += static_cast<int32_t>(counted);
  fString[fLength] = L'\0';
}

void TWideStringBuilder::Append(const TStringList& strings) {
  for (int i = 0; i < strings.GetCount(); ++i) Append(strings.Get(i));
  Append(std::wstring());
}

}  // namespace ts
