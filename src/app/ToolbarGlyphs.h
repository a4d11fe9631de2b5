#pragma once
// The main window's toolbar pictures, drawn by the program itself: 16 x 16
// pixels on a fuchsia background, which the speed button takes as
// transparent (its bottom-left pixel).
#include <cstdint>

#include "toolkit/Graphics.h"

namespace ts {

enum class TToolbarGlyph : uint8_t {
  ParentFolder,
  NewFolder,
  Properties,
  List,
  Details,
  Thumbnails,
  Hidden,
  SingleExplorer,
  DualExplorer,
  Network
};

constexpr int ToolbarGlyphSize = 16;
constexpr TColor ToolbarGlyphBackground = 0xFF00FF;

// Makes bitmap the picture of glyph.
void DrawToolbarGlyph(TToolbarGlyph glyph, TBitmap& bitmap);

}  // namespace ts
