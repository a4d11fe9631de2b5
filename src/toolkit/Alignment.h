#pragma once
// Horizontal alignment of text in a control or column.
#include <cstdint>

namespace ts {

enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

}  // namespace ts
