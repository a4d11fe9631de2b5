#include "toolkit/Buttons.h"

namespace ts {

TSpeedButton::TSpeedButton(TComponent* AOwner) : TWinControl(AOwner) {
  fWidth = 23;
  fHeight = 22;
}

template <typename F>
void TSpeedButton::ForEachInGroup(F f) {
  if (fParent == nullptr || fGroupIndex == 0) return;
  for (int i = 0; i < fParent->ControlCount(); ++i)
    if (auto* other = dynamic_cast<TSpeedButton*>(fParent->GetControl(i));
        other != nullptr && other != this && other->fGroupIndex == fGroupIndex)
      f(*other);
}

void TSpeedButton::SetGroupIndex(int value) {
  fGroupIndex = value;
  if (value == 0) SetDown(false);
}

void TSpeedButton::SetAllowAllUp(bool value) {
  fAllowAllUp = value;
  ForEachInGroup([value](TSpeedButton& other) { other.fAllowAllUp = value; });
}

void TSpeedButton::SetDown(bool value) {
  if (fGroupIndex == 0) value = false;
  if (value == fDown) return;
  // The last down button of a group stays down unless all may be up.
  if (!value && !fAllowAllUp) {
    bool otherDown = false;
    ForEachInGroup([&](TSpeedButton& other) { otherDown = otherDown || other.fDown; });
    if (!otherDown) return;
  }
  fDown = value;
  if (value)
    ForEachInGroup([](TSpeedButton& other) {
      other.fDown = false;
      other.Invalidate();
    });
  Invalidate();
}

void TSpeedButton::Click() {
  if (fGroupIndex != 0) SetDown(!fDown || !fAllowAllUp ? true : false);
  TWinControl::Click();
}

void TSpeedButton::Paint(HDC dc) {
  RECT r;
  GetClientRect(fHandle, &r);
  HBRUSH face = CreateSolidBrush(ColorToRGB(fDown ? clWindow : GetColor()));
  FillRect(dc, &r, face);
  DeleteObject(face);
  if (fDown || fPressed)
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
  else if (!fFlat)
    DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  if (fGlyph.GetHandle() != nullptr) {
    // A bitmap goes into one drawing context at a time: the glyph's own
    // canvas, left over from drawing it, would keep it out of this one.
    fGlyph.Dormant();
    HDC from = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(from, fGlyph.GetHandle());
    const int x = (r.right - fGlyph.GetWidth()) / 2 + (fDown ? 1 : 0);
    const int y = (r.bottom - fGlyph.GetHeight()) / 2 + (fDown ? 1 : 0);
    // The bottom-left pixel's colour is the glyph's transparent colour.
    TransparentBlt(dc, x, y, fGlyph.GetWidth(), fGlyph.GetHeight(), from, 0, 0, fGlyph.GetWidth(),
                   fGlyph.GetHeight(), GetPixel(from, 0, fGlyph.GetHeight() - 1));
    SelectObject(from, old);
    DeleteDC(from);
  } else if (!GetCaption().empty()) {
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, GetFont().GetHandle());
    DrawTextW(dc, GetCaption().c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
  }
}

void TSpeedButton::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEACTIVATE:
      message.Result = MA_NOACTIVATE;
      return;
    case WM_PAINT:
      PaintWith([this](HDC dc) { Paint(dc); });
      return;
    case WM_LBUTTONDOWN:
      fPressed = true;
      SetCapture(fHandle);
      Invalidate();
      TWinControl::WndProc(message);
      return;
    case WM_LBUTTONUP: {
      const bool wasPressed = fPressed;
      fPressed = false;
      ReleaseCapture();
      Invalidate();
      TWinControl::WndProc(message);
      POINT p{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
      RECT r;
      GetClientRect(fHandle, &r);
      if (wasPressed && PtInRect(&r, p)) Click();
      return;
    }
    case WM_SETFOCUS:
      // Never keeps the focus: it goes back where it came from.
      if (message.WParam != 0) ::SetFocus(reinterpret_cast<HWND>(message.WParam));
      return;
    default:
      break;
  }
  TWinControl::WndProc(message);
}

}  // namespace ts
