#pragma once
// The speed button: a flat tool button with a glyph that never takes the
// focus. Buttons of one group index (above 0) act as radio buttons: one is
// down, or none when AllowAllUp.
#include <memory>

#include "toolkit/Controls.h"
#include "toolkit/Graphics.h"

namespace ts {

class TSpeedButton : public TWinControl {
  TS_CLASS(TSpeedButton, TWinControl)

public:
  explicit TSpeedButton(TComponent* AOwner);

  TBitmap& GetGlyph() noexcept { return fGlyph; }
  int GetGroupIndex() const noexcept { return fGroupIndex; }
  void SetGroupIndex(int value);
  bool GetAllowAllUp() const noexcept { return fAllowAllUp; }
  void SetAllowAllUp(bool value);
  bool GetDown() const noexcept { return fDown; }
  void SetDown(bool value);
  bool GetFlat() const noexcept { return fFlat; }
  void SetFlat(bool value) { fFlat = value; Invalidate(); }
  void Click() override;
  bool CanFocus() const override { return false; }
  void SetFocus() override {}
  void WndProc(TMessage& message) override;

private:
  void Paint(HDC dc);
  // The other buttons of the group on the same parent.
  template <typename F>
  void ForEachInGroup(F f);

  TBitmap fGlyph;
  int fGroupIndex = 0;
  bool fAllowAllUp = false;
  bool fDown = false;
  bool fFlat = true;
  bool fPressed = false;
};

}  // namespace ts
