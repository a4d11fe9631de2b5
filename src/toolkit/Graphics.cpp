#include "toolkit/Graphics.h"

#include "toolkit/Exception.h"

namespace ts {

COLORREF ColorToRGB(TColor color) {
  if ((color & clSystemColor) != 0) return GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color) & 0xFFFFFF;
}

namespace {

// Selects a pen and brush into a context for one drawing call.
class TDrawingTools {
public:
  TDrawingTools(HDC dc, const TPen& pen, const TBrush& brush)
      : fDC(dc),
        fPen(CreatePen(PS_SOLID, pen.Width, ColorToRGB(pen.Color))),
        fBrush(brush.Clear ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)) : CreateSolidBrush(ColorToRGB(brush.Color))),
        fOwnsBrush(!brush.Clear),
        fOldPen(SelectObject(dc, fPen)),
        fOldBrush(SelectObject(dc, fBrush)) {}
  ~TDrawingTools() {
    SelectObject(fDC, fOldPen);
    SelectObject(fDC, fOldBrush);
    DeleteObject(fPen);
    if (fOwnsBrush) DeleteObject(fBrush);
  }
  TDrawingTools(const TDrawingTools&) = delete;
  TDrawingTools& operator=(const TDrawingTools&) = delete;

private:
  HDC fDC;
  HPEN fPen;
  HBRUSH fBrush;
  bool fOwnsBrush;
  HGDIOBJ fOldPen;
  HGDIOBJ fOldBrush;
};

}  // namespace

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  if (fHandle == nullptr) return;
  TDrawingTools tools(fHandle, Pen, Brush);
  ::Rectangle(fHandle, x1, y1, x2, y2);
}

void TCanvas::FillRect(const RECT& rect) {
  if (fHandle == nullptr || Brush.Clear) return;
  HBRUSH brush = CreateSolidBrush(ColorToRGB(Brush.Color));
  ::FillRect(fHandle, &rect, brush);
  DeleteObject(brush);
}

void TCanvas::TextOut(int x, int y, const std::wstring& text) {
  if (fHandle == nullptr) return;
  SetTextColor(fHandle, ColorToRGB(FontColor));
  if (Brush.Clear) {
    SetBkMode(fHandle, TRANSPARENT);
  } else {
    SetBkMode(fHandle, OPAQUE);
    SetBkColor(fHandle, ColorToRGB(Brush.Color));
  }
  ::TextOutW(fHandle, x, y, text.c_str(), static_cast<int>(text.size()));
}

SIZE TCanvas::TextExtent(const std::wstring& text) {
  SIZE size{};
  if (fHandle != nullptr) GetTextExtentPoint32W(fHandle, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

void TCanvas::MoveTo(int x, int y) {
  if (fHandle != nullptr) MoveToEx(fHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  if (fHandle == nullptr) return;
  TDrawingTools tools(fHandle, Pen, Brush);
  ::LineTo(fHandle, x, y);
}

TBitmap::~TBitmap() {
  ReleaseCanvas();
  if (fHandle != nullptr) DeleteObject(fHandle);
}

void TBitmap::SetSize(int width, int height) {
  if (width == fWidth && height == fHeight) return;
  fWidth = width < 0 ? 0 : width;
  fHeight = height < 0 ? 0 : height;
  Recreate();
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value != pf24bit && value != pf32bit) throw EInvalidOperation(L"Unsupported pixel format");
  if (value == fPixelFormat) return;
  fPixelFormat = value;
  Recreate();
}

void TBitmap::ReleaseCanvas() {
  if (fDC == nullptr) return;
  SelectObject(fDC, fOldBitmap);
  DeleteDC(fDC);
  fDC = nullptr;
  fCanvas.SetHandle(nullptr);
}

void TBitmap::Recreate() {
  ReleaseCanvas();
  if (fHandle != nullptr) DeleteObject(fHandle);
  fHandle = nullptr;
  fBits = nullptr;
  if (fWidth == 0 || fHeight == 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = fWidth;
  info.bmiHeader.biHeight = -fHeight;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = fPixelFormat == pf32bit ? 32 : 24;
  info.bmiHeader.biCompression = BI_RGB;
  fHandle = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &fBits, nullptr, 0);
  if (fHandle == nullptr) throw EOutOfMemory(L"Out of system resources");
}

void TBitmap::AdoptHandle(HBITMAP handle) {
  ReleaseCanvas();
  if (fHandle != nullptr && fHandle != handle) DeleteObject(fHandle);
  fHandle = handle;
  fBits = nullptr;
  fWidth = fHeight = 0;
  if (handle == nullptr) return;
  DIBSECTION section{};
  const int size = GetObjectW(handle, sizeof section, &section);
  if (size == 0) return;
  fWidth = section.dsBm.bmWidth;
  fHeight = section.dsBm.bmHeight < 0 ? -section.dsBm.bmHeight : section.dsBm.bmHeight;
  fPixelFormat = section.dsBm.bmBitsPixel == 32 ? pf32bit : (section.dsBm.bmBitsPixel == 24 ? pf24bit : pfDevice);
  // Pixels are read directly only from top-down sections of the two depths.
  if (size == sizeof section && section.dsBmih.biHeight < 0 && (fPixelFormat == pf32bit || fPixelFormat == pf24bit))
    fBits = section.dsBm.bmBits;
}

void TBitmap::Assign(const TBitmap& source) {
  if (&source == this) return;
  fPixelFormat = source.fPixelFormat == pf24bit ? pf24bit : pf32bit;
  fTransparent = source.fTransparent;
  fWidth = fHeight = -1;
  SetSize(source.fWidth, source.fHeight);
  if (fHandle == nullptr || source.fHandle == nullptr) return;
  // A bitmap is selected into one context at a time: the source's own
  // canvas, when it has one, is where its picture can be read.
  if (source.fDC != nullptr) {
    BitBlt(GetCanvas().GetHandle(), 0, 0, fWidth, fHeight, source.fDC, 0, 0, SRCCOPY);
    return;
  }
  HDC from = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(from, source.fHandle);
  BitBlt(GetCanvas().GetHandle(), 0, 0, fWidth, fHeight, from, 0, 0, SRCCOPY);
  SelectObject(from, old);
  DeleteDC(from);
}

HBITMAP TBitmap::ReleaseHandle() {
  ReleaseCanvas();
  HBITMAP handle = fHandle;
  fHandle = nullptr;
  fBits = nullptr;
  fWidth = fHeight = 0;
  return handle;
}

TCanvas& TBitmap::GetCanvas() {
  if (fDC == nullptr && fHandle != nullptr) {
    fDC = CreateCompatibleDC(nullptr);
    fOldBitmap = SelectObject(fDC, fHandle);
    fCanvas.SetHandle(fDC);
  }
  return fCanvas;
}

const BYTE* TBitmap::PixelAddress(int x, int y) const {
  if (fBits == nullptr || x < 0 || y < 0 || x >= fWidth || y >= fHeight) return nullptr;
  GdiFlush();
  const int bytesPerPixel = fPixelFormat == pf32bit ? 4 : 3;
  const int stride = ((fWidth * bytesPerPixel) + 3) & ~3;
  return static_cast<const BYTE*>(fBits) + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * bytesPerPixel;
}

COLORREF TBitmap::GetPixel(int x, int y) const {
  const BYTE* p = PixelAddress(x, y);
  return p == nullptr ? CLR_INVALID : RGB(p[2], p[1], p[0]);
}

BYTE TBitmap::GetAlpha(int x, int y) const {
  const BYTE* p = PixelAddress(x, y);
  return p == nullptr || fPixelFormat != pf32bit ? 255 : p[3];
}

bool TBitmap::SaveToFile(const std::wstring& path) {
  if (fHandle == nullptr) return false;
  ReleaseCanvas();
  const WORD bits = fPixelFormat == pf32bit ? 32 : 24;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = fWidth;
  info.bmiHeader.biHeight = fHeight;  // bottom-up rows, as files keep them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bits;
  info.bmiHeader.biCompression = BI_RGB;
  const DWORD stride = ((static_cast<DWORD>(fWidth) * bits + 31) / 32) * 4;
  std::string pixels(static_cast<size_t>(stride) * static_cast<size_t>(fHeight), '\0');
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, fHandle, 0, static_cast<UINT>(fHeight), pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != fHeight) return false;
  info.bmiHeader.biSizeImage = static_cast<DWORD>(pixels.size());
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(handle, &file, sizeof file, &written, nullptr) && written == sizeof file;
  ok = ok && WriteFile(handle, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) && written == sizeof info.bmiHeader;
  ok = ok && WriteFile(handle, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr) &&
       written == pixels.size();
  CloseHandle(handle);
  if (!ok) DeleteFileW(path.c_str());
  return ok;
}

}  // namespace ts
