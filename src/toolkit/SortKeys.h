#pragma once
// Sort keys of many texts, kept in one block: comparing two keys bytewise
// orders their texts as the user locale's case-insensitive comparison does
// (CompareText asks the same locale with the same flag), at a fraction of its
// cost once a text takes part in many comparisons.
#include <windows.h>

#include <cstddef>
#include <string_view>
#include <vector>

namespace ts {

class TSortKeys {
public:
  // Adds the key of the next text; false when the platform gave none.
  bool Add(std::wstring_view text);
  // Room for that many more texts of that many characters in all.
  void Reserve(size_t texts, size_t chars);
  size_t Count() const noexcept { return fSpans.size(); }
  // The order of the keys of the i-th and j-th texts added.
  int Compare(size_t i, size_t j) const;
  // The i-th key's bytes, as the platform would make them.
  std::vector<BYTE> Key(size_t i) const;

private:
  struct TSpan {
    size_t Offset;
    size_t Size;
  };
  bool AddFromPlatform(std::wstring_view text);

  std::vector<BYTE> fBytes;
  std::vector<TSpan> fSpans;
};

// The key the platform makes of a text (empty when it makes none).
std::vector<BYTE> PlatformSortKey(std::wstring_view text);

}  // namespace ts
