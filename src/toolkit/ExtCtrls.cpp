#include "toolkit/ExtCtrls.h"

namespace ts {

// TPanel

TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner) {
  fWidth = 185;
  fHeight = 41;
  fAcceptsControls = true;
}

void TPanel::SetBevelOuter(TBevelCut value) {
  fBevelOuter = value;
  Invalidate();
}

void TPanel::SetBevelInner(TBevelCut value) {
  fBevelInner = value;
  Invalidate();
}

void TPanel::SetBevelWidth(int value) {
  fBevelWidth = value;
  Invalidate();
}

void TPanel::Paint(HDC dc) {
  RECT r;
  GetClientRect(fHandle, &r);
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    for (int i = 0; i < fBevelWidth; ++i) {
      DrawEdge(dc, &r, cut == bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    }
  };
  bevel(fBevelOuter);
  bevel(fBevelInner);
  if (!GetCaption().empty()) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(GetFont().GetColor()));
    HGDIOBJ old = SelectObject(dc, GetFont().GetHandle());
    DrawTextW(dc, GetCaption().c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
  }
}

void TPanel::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT:
      PaintWith([this](HDC dc) { Paint(dc); });
      return;
    case WM_SIZE:
      Invalidate();
      break;
    case WM_LBUTTONUP:
      TWinControl::WndProc(message);
      Click();
      return;
    default:
      break;
  }
  TWinControl::WndProc(message);
}

// TSplitter

TSplitter::TSplitter(TComponent* AOwner) : TWinControl(AOwner) {
  fWidth = 3;
  fHeight = 100;
  SetAlign(alLeft);
}

void TSplitter::SetAlign(TAlign value) {
  TWinControl::SetAlign(value);
  SetCursor(value == alTop || value == alBottom ? crVSplit : crHSplit);
}

TControl* TSplitter::FindControl() const {
  if (fParent == nullptr) return nullptr;
  // The control on the same side whose edge touches the splitter's.
  for (int i = 0; i < fParent->ControlCount(); ++i) {
    TControl* c = fParent->GetControl(i);
    if (c == this || !c->GetVisible() || c->GetAlign() != GetAlign()) continue;
    switch (GetAlign()) {
      case alLeft: if (c->GetLeft() + c->GetWidth() == fLeft) return c; break;
      case alRight: if (c->GetLeft() == fLeft + fWidth) return c; break;
      case alTop: if (c->GetTop() + c->GetHeight() == fTop) return c; break;
      case alBottom: if (c->GetTop() == fTop + fHeight) return c; break;
      default: break;
    }
  }
  return nullptr;
}

void TSplitter::DragTo(int delta) {
  if (fNeighbour == nullptr) return;
  const bool horizontal = GetAlign() == alLeft || GetAlign() == alRight;
  int size = fStartSize + ((GetAlign() == alLeft || GetAlign() == alTop) ? delta : -delta);
  if (size < 0) size = 0;
  if (size < fMinSize) size = fAutoSnap ? 0 : fMinSize;
  bool accept = true;
  if (OnCanResize) OnCanResize(this, size, accept);
  if (!accept) return;
  if (horizontal)
    fNeighbour->SetWidth(size);
  else
    fNeighbour->SetHeight(size);
}

void TSplitter::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
      fNeighbour = FindControl();
      if (fNeighbour != nullptr) {
        fDragging = true;
        GetCursorPos(&fDragStart);
        const bool horizontal = GetAlign() == alLeft || GetAlign() == alRight;
        fStartSize = horizontal ? fNeighbour->GetWidth() : fNeighbour->GetHeight();
        SetCapture(fHandle);
      }
      break;
    case WM_MOUSEMOVE:
      if (fDragging) {
        POINT p;
        GetCursorPos(&p);
        const bool horizontal = GetAlign() == alLeft || GetAlign() == alRight;
        DragTo(horizontal ? p.x - fDragStart.x : p.y - fDragStart.y);
      }
      break;
    case WM_LBUTTONUP:
      if (fDragging) {
        fDragging = false;
        ReleaseCapture();
        if (OnMoved) OnMoved(this);
      }
      break;
    case WM_CAPTURECHANGED:
      fDragging = false;
      break;
    default:
      break;
  }
  TWinControl::WndProc(message);
}

// TTimer

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  fWindow = std::make_unique<TUtilityWindow>([this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
      if (fEnabled && OnTimer) OnTimer(this);
      return LRESULT{0};
    }
    return DefWindowProcW(window, message, wParam, lParam);
  });
  Update();
}

TTimer::~TTimer() { KillTimer(fWindow->GetHandle(), 1); }

void TTimer::SetEnabled(bool value) {
  if (value == fEnabled) return;
  fEnabled = value;
  Update();
}

void TTimer::SetInterval(UINT value) {
  if (value == fInterval) return;
  fInterval = value;
  Update();
}

void TTimer::Update() {
  KillTimer(fWindow->GetHandle(), 1);
  if (fEnabled && fInterval > 0) SetTimer(fWindow->GetHandle(), 1, fInterval, nullptr);
}

}  // namespace ts
