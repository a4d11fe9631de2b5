#pragma once
// A growable UTF-16 buffer that always holds a zero character after what was
// appended. With fIncludeTrailingZeroCharacter each appended string keeps its
// zero, so the buffer becomes a run of zero-terminated strings.
#include <cstdint>
#include <string>

namespace ts {

class TStringList;

class TWideStringBuilder {
public:
  TWideStringBuilder() = default;
  ~TWideStringBuilder();
  TWideStringBuilder(const TWideStringBuilder&) = delete;
  TWideStringBuilder& operator=(const TWideStringBuilder&) = delete;

  void Append(const std::wstring& s);
  // Every string in order, then one empty string: with the trailing-zero
  // option the list ends in a double zero.
  void Append(const TStringList& strings);
  // Bytes of the counted characters.
  int32_t GetSize() const noexcept { return fLength * 2; }
  void Clear() noexcept;

  int32_t fLength = 0;
  int32_t fAllocated = 0;
  wchar_t* fString = nullptr;
  int32_t fAllocBy = 0x100000;
  bool fIncludeTrailingZeroCharacter = false;
};

}  // namespace ts
