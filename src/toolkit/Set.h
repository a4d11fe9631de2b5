#pragma once
// A set of the values of an enumeration, bit n for ordinal n, stored in an
// unsigned integer of the given width so that its raw value can be stored,
// read back and compared with the values other programs wrote.
#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace ts {

template <typename E, typename Storage = uint32_t>
class TSet {
  static_assert(std::is_enum_v<E>, "TSet holds the values of an enumeration");
  static_assert(std::is_unsigned_v<Storage>, "TSet is stored in an unsigned integer");

public:
  using value_type = E;
  using storage_type = Storage;

  constexpr TSet() noexcept = default;
  constexpr TSet(std::initializer_list<E> values) noexcept {
    for (E v : values) Include(v);
  }
  static constexpr TSet FromValue(Storage raw) noexcept {
    TSet s;
    s.fBits = raw;
    return s;
  }

  constexpr Storage Value() const noexcept { return fBits; }
  constexpr bool Contains(E v) const noexcept { return (fBits & Bit(v)) != 0; }
  constexpr bool Empty() const noexcept { return fBits == 0; }
  constexpr TSet& Include(E v) noexcept { fBits |= Bit(v); return *this; }
  constexpr TSet& Exclude(E v) noexcept { fBits &= static_cast<Storage>(~Bit(v)); return *this; }

  constexpr TSet operator+(TSet other) const noexcept { return FromValue(fBits | other.fBits); }
  constexpr TSet operator-(TSet other) const noexcept { return FromValue(fBits & static_cast<Storage>(~other.fBits)); }
  constexpr TSet operator*(TSet other) const noexcept { return FromValue(fBits & other.fBits); }
  constexpr bool operator==(const TSet&) const noexcept = default;
  // Whether every value of this set is in the other.
  constexpr bool SubsetOf(TSet other) const noexcept { return (fBits & ~other.fBits) == 0; }

private:
  static constexpr Storage Bit(E v) noexcept {
    return static_cast<Storage>(Storage{1} << static_cast<unsigned>(v));
  }
  Storage fBits = 0;
};

}  // namespace ts
