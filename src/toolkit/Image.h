#pragma once
// A control that shows a bitmap: its picture is drawn at its top-left corner
// in a child window of the parent it is given.
#include <windows.h>

#include "toolkit/Component.h"
#include "toolkit/Graphics.h"

namespace ts {

class TImage : public TComponent {
  TS_CLASS(TImage, TComponent)

public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  int GetWidth() const noexcept { return fWidth; }
  int GetHeight() const noexcept { return fHeight; }
  void SetBounds(int left, int top, int width, int height);
  TBitmap& GetPicture() noexcept { return fPicture; }
  // Shows the control in parent (null: no window).
  void SetParentWindow(HWND parent);
  HWND GetHandle() const noexcept { return fHandle; }
  // Draws the picture again after it changed.
  void Invalidate();

private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();

  int fLeft = 0;
  int fTop = 0;
  int fWidth = 105;
  int fHeight = 105;
  TBitmap fPicture;
  HWND fHandle = nullptr;
};

}  // namespace ts
