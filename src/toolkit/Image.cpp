#include "toolkit/Image.h"

#include "toolkit/Application.h"

namespace ts {

namespace {

constexpr wchar_t kImageClass[] = L"TImage";

}  // namespace

TImage::TImage(TComponent* AOwner) : TComponent(AOwner) {}

TImage::~TImage() { SetParentWindow(nullptr); }

void TImage::SetBounds(int left, int top, int width, int height) {
  fLeft = left;
  fTop = top;
  fWidth = width;
  fHeight = height;
  if (fHandle != nullptr) MoveWindow(fHandle, left, top, width, height, TRUE);
}

void TImage::SetParentWindow(HWND parent) {
  if (fHandle != nullptr) {
    SetWindowLongPtrW(fHandle, GWLP_USERDATA, 0);
    DestroyWindow(fHandle);
    fHandle = nullptr;
  }
  if (parent == nullptr) return;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  if (!GetClassInfoW(instance, kImageClass, &wc)) {
    wc.lpfnWndProc = &TImage::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kImageClass;
    RegisterClassW(&wc);
  }
  fHandle = CreateWindowExW(0, kImageClass, L"", WS_CHILD | WS_VISIBLE, fLeft, fTop, fWidth, fHeight, parent,
                            nullptr, instance, nullptr);
  if (fHandle != nullptr) SetWindowLongPtrW(fHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void TImage::Invalidate() {
  if (fHandle != nullptr) InvalidateRect(fHandle, nullptr, TRUE);
}

void TImage::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(fHandle, &paint);
  if (fPicture.GetHandle() != nullptr) {
    HDC from = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(from, fPicture.GetHandle());
    BitBlt(dc, 0, 0, fPicture.GetWidth(), fPicture.GetHeight(), from, 0, 0, SRCCOPY);
    SelectObject(from, old);
    DeleteDC(from);
  }
  EndPaint(fHandle, &paint);
}

LRESULT CALLBACK TImage::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TImage*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr && message == WM_PAINT) {
    try {
      self->Paint();
    } catch (...) {
      Application->HandleException();
    }
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace ts
