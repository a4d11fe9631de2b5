#pragma once
// Colours, pens, brushes, a canvas on a device context, and bitmaps with a
// canvas of their own.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace ts {

// An RGB value, or a system colour (the top bit set, the low byte the
// platform's colour index), or one of the two special values.
using TColor = int32_t;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;

// The RGB value of a colour; system colours as the platform shows them now.
COLORREF ColorToRGB(TColor color);

struct TPen {
  TColor Color = clBlack;
  int Width = 1;
};

struct TBrush {
  TColor Color = clWhite;
  bool Clear = false;  // draws no fill
};

// Drawing on a device context the canvas does not own.
class TCanvas {
public:
  explicit TCanvas(HDC dc = nullptr) : fHandle(dc) {}
  HDC GetHandle() const noexcept { return fHandle; }
  void SetHandle(HDC dc) noexcept { fHandle = dc; }

  TPen Pen;
  TBrush Brush;
  TColor FontColor = clWindowText;

  // Outlined with the pen and filled with the brush, as the platform does.
  void Rectangle(int x1, int y1, int x2, int y2);
  void FillRect(const RECT& rect);
  void TextOut(int x, int y, const std::wstring& text);
  SIZE TextExtent(const std::wstring& text);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);

private:
  HDC fHandle;
};

enum TPixelFormat : uint8_t { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// A device-independent bitmap with a canvas on a memory context.
class TBitmap {
public:
  TBitmap() = default;
  ~TBitmap();
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  int GetWidth() const noexcept { return fWidth; }
  int GetHeight() const noexcept { return fHeight; }
  void SetSize(int width, int height);
  TPixelFormat GetPixelFormat() const noexcept { return fPixelFormat; }
  // pf24bit or pf32bit; the picture is made again, empty.
  void SetPixelFormat(TPixelFormat value);
  bool GetTransparent() const noexcept { return fTransparent; }
  void SetTransparent(bool value) noexcept { fTransparent = value; }

  HBITMAP GetHandle() const noexcept { return fHandle; }
  // Takes over a bitmap made elsewhere; its size and depth come from it.
  void AdoptHandle(HBITMAP handle);
  // A copy of source's picture.
  void Assign(const TBitmap& source);
  // Gives the bitmap up to the caller, who deletes it.
  HBITMAP ReleaseHandle();
  TCanvas& GetCanvas();
  // Frees the canvas's drawing context, which holds the bitmap selected: a
  // bitmap handed to someone else must be free to go into their context.
  // The canvas is made again on its next use.
  void ReleaseCanvas();
  // The colour of a pixel as RGB, for reading the picture back.
  COLORREF GetPixel(int x, int y) const;
  // The alpha byte of a pixel of a 32-bit bitmap; 255 otherwise.
  BYTE GetAlpha(int x, int y) const;
  // Writes the picture as a Windows bitmap file; false when it cannot.
  bool SaveToFile(const std::wstring& path);
  // Lets go of the canvas's drawing context, so that others (image lists,
  // the header) can select the bitmap; the canvas comes back on next use.
  void Dormant() { ReleaseCanvas(); }

private:
  void Recreate();
  const BYTE* PixelAddress(int x, int y) const;

  int fWidth = 0;
  int fHeight = 0;
  TPixelFormat fPixelFormat = pf24bit;
  bool fTransparent = false;
  HBITMAP fHandle = nullptr;
  void* fBits = nullptr;
  HDC fDC = nullptr;
  HGDIOBJ fOldBitmap = nullptr;
  TCanvas fCanvas;
};

}  // namespace ts
