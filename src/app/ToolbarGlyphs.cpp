#include "app/ToolbarGlyphs.h"

#include <initializer_list>

namespace ts {

namespace {

constexpr TColor kOutline = 0x404040;
constexpr TColor kFolderFace = 0x4AC8F8;   // yellow
constexpr TColor kFolderBack = 0x2898D8;   // darker yellow
constexpr TColor kPaper = clWhite;
constexpr TColor kInk = 0x808080;
constexpr TColor kArrow = 0x208020;        // green
constexpr TColor kSpark = 0x0080FF;        // orange
constexpr TColor kTitle = 0xA05010;        // blue title bar
constexpr TColor kPictureSky = 0xF0C080;
constexpr TColor kPictureLand = 0x40A040;

// Small GDI drawing helpers on the glyph's device context.
class TGlyphPainter {
public:
  explicit TGlyphPainter(HDC dc) : fDc(dc) {}

  void Fill(int x1, int y1, int x2, int y2, TColor color) {
    RECT r{x1, y1, x2, y2};
    HBRUSH brush = CreateSolidBrush(ColorToRGB(color));
    FillRect(fDc, &r, brush);
    DeleteObject(brush);
  }
  // A filled rectangle with a one-pixel outline; x2 and y2 exclusive.
  void Box(int x1, int y1, int x2, int y2, TColor face, TColor outline = kOutline) {
    Fill(x1, y1, x2, y2, outline);
    Fill(x1 + 1, y1 + 1, x2 - 1, y2 - 1, face);
  }
  void Polygon(std::initializer_list<POINT> points, TColor face, TColor outline = kOutline) {
    HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(outline));
    HBRUSH brush = CreateSolidBrush(ColorToRGB(face));
    HGDIOBJ oldPen = SelectObject(fDc, pen);
    HGDIOBJ oldBrush = SelectObject(fDc, brush);
    ::Polygon(fDc, points.begin(), static_cast<int>(points.size()));
    SelectObject(fDc, oldBrush);
    SelectObject(fDc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
  }
  void Line(int x1, int y1, int x2, int y2, TColor color) {
    HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(color));
    HGDIOBJ old = SelectObject(fDc, pen);
    MoveToEx(fDc, x1, y1, nullptr);
    LineTo(fDc, x2, y2);
    SetPixel(fDc, x2, y2, ColorToRGB(color));
    SelectObject(fDc, old);
    DeleteObject(pen);
  }
  void Dot(int x, int y, TColor color) { SetPixel(fDc, x, y, ColorToRGB(color)); }

  // A closed folder whose body spans x1..x2, y1..y2 (exclusive ends).
  void Folder(int x1, int y1, int x2, int y2) {
    Box(x1, y1, x1 + 6, y1 + 3, kFolderBack);                // tab
    Box(x1, y1 + 2, x2, y2, kFolderFace);                    // body
    Line(x1 + 1, y1 + 3, x2 - 2, y1 + 3, 0xA0F0FF);          // light edge
  }
  // A sheet of paper with text lines.
  void Sheet(int x1, int y1, int x2, int y2) {
    Polygon({{x1, y1}, {x2 - 4, y1}, {x2 - 1, y1 + 3}, {x2 - 1, y2 - 1}, {x1, y2 - 1}}, kPaper);
    for (int y = y1 + 4; y < y2 - 2; y += 2) Line(x1 + 2, y, x2 - 4, y, kInk);
  }
  // A window frame with a title bar.
  void Window(int x1, int y1, int x2, int y2) {
    Box(x1, y1, x2, y2, kPaper);
    Fill(x1 + 1, y1 + 1, x2 - 1, y1 + 3, kTitle);
  }

private:
  HDC fDc;
};

void DrawParentFolder(TGlyphPainter& p) {
  p.Folder(0, 5, 13, 15);
  // An arrow pointing up and back.
  p.Polygon({{11, 0}, {15, 4}, {13, 4}, {13, 9}, {9, 9}, {9, 4}, {7, 4}}, kArrow, 0x105010);
}

void DrawNewFolder(TGlyphPainter& p) {
  p.Folder(0, 5, 13, 15);
  p.Line(12, 0, 12, 6, kSpark);
  p.Line(9, 3, 15, 3, kSpark);
  p.Line(10, 1, 14, 5, kSpark);
  p.Line(10, 5, 14, 1, kSpark);
}

void DrawProperties(TGlyphPainter& p) {
  p.Sheet(2, 0, 13, 16);
  // A check mark over the sheet.
  p.Line(7, 11, 9, 13, 0x000000);
  p.Line(9, 13, 14, 7, 0x000000);
  p.Line(7, 10, 9, 12, 0x000000);
  p.Line(9, 12, 14, 6, 0x000000);
}

void DrawList(TGlyphPainter& p) {
  for (int row = 0; row < 4; ++row) {
    const int y = 1 + row * 4;
    p.Box(1, y, 4, y + 3, kFolderFace);
    p.Line(6, y + 1, 14, y + 1, kOutline);
  }
}

void DrawDetails(TGlyphPainter& p) {
  p.Box(0, 1, 16, 15, kPaper);
  p.Fill(1, 2, 15, 5, 0xC0C0C0);
  p.Line(6, 2, 6, 13, kInk);
  p.Line(11, 2, 11, 13, kInk);
  for (int y = 7; y < 14; y += 3) p.Line(1, y, 14, y, kInk);
}

void DrawThumbnails(TGlyphPainter& p) {
  for (int row = 0; row < 2; ++row)
    for (int col = 0; col < 2; ++col) {
      const int x = col * 8, y = row * 8;
      p.Box(x, y, x + 7, y + 7, kPictureSky);
      p.Fill(x + 1, y + 4, x + 6, y + 6, kPictureLand);
    }
}

void DrawHidden(TGlyphPainter& p) {
  // A sheet drawn in dots: the file that is there but not shown.
  for (int x = 3; x < 13; x += 2) {
    p.Dot(x, 1, kOutline);
    p.Dot(x, 14, kOutline);
  }
  for (int y = 1; y < 15; y += 2) {
    p.Dot(3, y, kOutline);
    p.Dot(12, y, kOutline);
  }
  for (int y = 5; y < 12; y += 3)
    for (int x = 5; x < 11; x += 2) p.Dot(x, y, kInk);
}

void DrawSingleExplorer(TGlyphPainter& p) { p.Window(0, 1, 16, 15); }

void DrawDualExplorer(TGlyphPainter& p) {
  p.Window(0, 1, 16, 15);
  p.Line(1, 8, 14, 8, kOutline);
  p.Fill(1, 9, 15, 10, kTitle);
}

void DrawNetwork(TGlyphPainter& p) {
  p.Box(2, 0, 14, 9, 0x806040);
  p.Fill(4, 2, 12, 7, 0xF0D0A0);
  p.Line(8, 9, 8, 12, kOutline);
  p.Line(1, 12, 14, 12, kOutline);
  p.Box(6, 13, 11, 16, 0xC0C0C0);
}

}  // namespace

void DrawToolbarGlyph(TToolbarGlyph glyph, TBitmap& bitmap) {
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(ToolbarGlyphSize, ToolbarGlyphSize);
  TCanvas& canvas = bitmap.GetCanvas();
  canvas.Brush.Color = ToolbarGlyphBackground;
  canvas.Brush.Clear = false;
  canvas.FillRect(RECT{0, 0, ToolbarGlyphSize, ToolbarGlyphSize});
  TGlyphPainter painter(canvas.GetHandle());
  switch (glyph) {
    case TToolbarGlyph::ParentFolder: DrawParentFolder(painter); break;
    case TToolbarGlyph::NewFolder: DrawNewFolder(painter); break;
    case TToolbarGlyph::Properties: DrawProperties(painter); break;
    case TToolbarGlyph::List: DrawList(painter); break;
    case TToolbarGlyph::Details: DrawDetails(painter); break;
    case TToolbarGlyph::Thumbnails: DrawThumbnails(painter); break;
    case TToolbarGlyph::Hidden: DrawHidden(painter); break;
    case TToolbarGlyph::SingleExplorer: DrawSingleExplorer(painter); break;
    case TToolbarGlyph::DualExplorer: DrawDualExplorer(painter); break;
    case TToolbarGlyph::Network: DrawNetwork(painter); break;
  }
  // The transparent colour is read from the bottom-left pixel.
  painter.Dot(0, ToolbarGlyphSize - 1, ToolbarGlyphBackground);
  bitmap.Dormant();
}

}  // namespace ts
