#include "toolkit/SortKeys.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace ts {

namespace {

constexpr DWORD kKeyFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
constexpr BYTE kSectionEnd = 1;
constexpr wchar_t kFirstPrintable = L' ';
constexpr wchar_t kLastPrintable = L'~';
constexpr size_t kPrintables = kLastPrintable - kFirstPrintable + 1;

// Most paths are plain ASCII. For those the locale's key is each character's
// own two bytes of weights one after the other, the closing sections, and for
// every hyphen or apostrophe (weighed apart from the rest) two bytes that say
// how many other characters come before it and its own two bytes of weight.
// So it can be put together from a table instead of asking the platform for
// every text. The table holds only what this locale was seen to do: a
// character whose key is of neither form is left out, and if any pair of
// characters comes out otherwise (a contraction such as "ch" in some
// languages) the table is not used at all.
class TComposedKeys {
public:
  TComposedKeys() { Build(); }

  // The key's size when every character of text is in the table, else 0.
  size_t SizeOf(std::wstring_view text) const {
    // A hyphen's place is counted in two bytes.
    if (!fUsable || text.size() > 0xFFFF) return 0;
    size_t size = fClosing.size() + 1;
    for (wchar_t c : text) {
      if (c < kFirstPrintable || c > kLastPrintable) return 0;
      const TWeights& w = fWeights[Slot(c)];
      if (w.Kind == kNotComposed) return 0;
      size += w.Kind == kSpecial ? 4 : 2;
    }
    return size;
  }

  // Writes the key of a covered text at out, which has SizeOf(text) bytes.
  void Write(std::wstring_view text, BYTE* out) const {
    bool anySpecial = false;
    for (wchar_t c : text) {
      const TWeights& w = fWeights[Slot(c)];
      if (w.Kind == kSpecial) {
        anySpecial = true;
        continue;
      }
      *out++ = w.First;
      *out++ = w.Second;
    }
    out = std::copy(fClosing.begin(), fClosing.end(), out);
    if (anySpecial) {
      unsigned before = 0;
      for (wchar_t c : text) {
        const TWeights& w = fWeights[Slot(c)];
        if (w.Kind != kSpecial) {
          ++before;
          continue;
        }
        const unsigned place = 0xFFFFu - before;
        *out++ = static_cast<BYTE>(place >> 8);
        *out++ = static_cast<BYTE>(place & 0xFFu);
        *out++ = w.First;
        *out++ = w.Second;
      }
    }
    *out = 0;
  }

private:
  enum TKind : uint8_t { kNotComposed, kOrdinary, kSpecial };
  struct TWeights {
    TKind Kind = kNotComposed;
    BYTE First = 0;
    BYTE Second = 0;
  };

  static size_t Slot(wchar_t c) { return static_cast<size_t>(c - kFirstPrintable); }

  void Build() {
    // "a": its weights, then the closing sections and the final 0.
    const std::vector<BYTE> reference = PlatformSortKey(L"a");
    if (reference.size() < 4 || reference.back() != 0 || reference[2] != kSectionEnd) return;
    fClosing.assign(reference.begin() + 2, reference.end() - 1);
    for (wchar_t c = kFirstPrintable; c <= kLastPrintable; ++c) {
      const std::vector<BYTE> key = PlatformSortKey(std::wstring_view(&c, 1));
      TWeights& w = fWeights[Slot(c)];
      if (key.size() == fClosing.size() + 3 && std::equal(fClosing.begin(), fClosing.end(), key.begin() + 2)) {
        w = TWeights{kOrdinary, key[0], key[1]};
      } else if (key.size() == fClosing.size() + 5 && std::equal(fClosing.begin(), fClosing.end(), key.begin()) &&
                 key[fClosing.size()] == 0xFF && key[fClosing.size() + 1] == 0xFF) {
        w = TWeights{kSpecial, key[fClosing.size() + 2], key[fClosing.size() + 3]};
      }
      if (w.Kind != kNotComposed && key.back() != 0) w = TWeights{};
    }
    // Every pair, and a few longer texts with the hyphen and apostrophe
    // further in, must come out as the platform makes them.
    fUsable = true;
    for (wchar_t a = kFirstPrintable; a <= kLastPrintable && fUsable; ++a)
      for (wchar_t b = kFirstPrintable; b <= kLastPrintable && fUsable; ++b) {
        const wchar_t pair[2] = {a, b};
        fUsable = Agrees(std::wstring_view(pair, 2));
      }
    for (const wchar_t* text : {L"ab-c'd--e", L"-'x", L"x.y-z w'v"})
      if (fUsable) fUsable = Agrees(text);
  }

  bool Agrees(std::wstring_view text) const {
    const size_t size = SizeOf(text);
    if (size == 0) return true;
    std::vector<BYTE> composed(size);
    Write(text, composed.data());
    return composed == PlatformSortKey(text);
  }

  std::array<TWeights, kPrintables> fWeights{};
  // The bytes between the weights and the special weights: the ends of the
  // sections in between.
  std::vector<BYTE> fClosing;
  bool fUsable = false;
};

const TComposedKeys& ComposedKeys() {
  static const TComposedKeys keys;
  return keys;
}

int MapToKey(std::wstring_view text, BYTE* out, int size) {
  return LCMapStringW(LOCALE_USER_DEFAULT, kKeyFlags, text.data(), static_cast<int>(text.size()),
                      reinterpret_cast<LPWSTR>(out), size);
}

}  // namespace

std::vector<BYTE> PlatformSortKey(std::wstring_view text) {
  const int size = MapToKey(text, nullptr, 0);
  if (size <= 0) return {};
  std::vector<BYTE> key(static_cast<size_t>(size));
  const int made = MapToKey(text, key.data(), size);
  key.resize(made > 0 ? static_cast<size_t>(made) : 0);
  return key;
}

void TSortKeys::Reserve(size_t texts, size_t chars) {
  fSpans.reserve(fSpans.size() + texts);
  // Two bytes of weights a character and the closing sections is the usual size.
  fBytes.reserve(fBytes.size() + chars * 2 + texts * 8);
}

bool TSortKeys::Add(std::wstring_view text) {
  const size_t size = ComposedKeys().SizeOf(text);
  if (size == 0) return AddFromPlatform(text);
  const size_t offset = fBytes.size();
  fBytes.resize(offset + size);
  ComposedKeys().Write(text, fBytes.data() + offset);
  fSpans.push_back(TSpan{offset, size});
  return true;
}

bool TSortKeys::AddFromPlatform(std::wstring_view text) {
  const size_t offset = fBytes.size();
  int size = static_cast<int>(text.size()) * 6 + 16;
  fBytes.resize(offset + static_cast<size_t>(size));
  int made = MapToKey(text, fBytes.data() + offset, size);
  if (made == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    size = MapToKey(text, nullptr, 0);
    if (size > 0) {
      fBytes.resize(offset + static_cast<size_t>(size));
      made = MapToKey(text, fBytes.data() + offset, size);
    }
  }
  if (made <= 0) {
    fBytes.resize(offset);
    return false;
  }
  fBytes.resize(offset + static_cast<size_t>(made));
  fSpans.push_back(TSpan{offset, static_cast<size_t>(made)});
  return true;
}

int TSortKeys::Compare(size_t i, size_t j) const {
  const TSpan& a = fSpans[i];
  const TSpan& b = fSpans[j];
  const int c = std::memcmp(fBytes.data() + a.Offset, fBytes.data() + b.Offset, std::min(a.Size, b.Size));
  if (c != 0) return c;
  return a.Size < b.Size ? -1 : (a.Size > b.Size ? 1 : 0);
}

std::vector<BYTE> TSortKeys::Key(size_t i) const {
  const TSpan& span = fSpans[i];
  return std::vector<BYTE>(fBytes.begin() + static_cast<std::ptrdiff_t>(span.Offset),
                           fBytes.begin() + static_cast<std::ptrdiff_t>(span.Offset + span.Size));
}

}  // namespace ts
