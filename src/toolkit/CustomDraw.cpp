#include "toolkit/CustomDraw.h"

namespace ts {

LRESULT AnswerItemCustomDraw(NMCUSTOMDRAW& draw, COLORREF& textColor, COLORREF& backColor, TCanvas& canvas,
                             TColor fontColor, TColor color,
                             const std::function<bool(LPARAM item, TCustomDrawState state)>& drawItem) {
  if (draw.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  TCustomDrawState state;
  if (draw.uItemState & CDIS_SELECTED) state.Include(cdsSelected);
  if (draw.uItemState & CDIS_FOCUS) state.Include(cdsFocused);
  if (draw.uItemState & CDIS_HOT) state.Include(cdsHot);
  canvas.SetHandle(draw.hdc);
  canvas.FontColor = fontColor;
  canvas.Brush.Color = color;
  bool defaultDraw = true;
  try {
    defaultDraw = drawItem(draw.lItemlParam, state);
  } catch (...) {
    canvas.SetHandle(nullptr);
    throw;
  }
  // Colours the handler left alone stay the platform's, which knows how a
  // selected or hot item looks.
  const bool changed = canvas.FontColor != fontColor || canvas.Brush.Color != color;
  if (canvas.FontColor != fontColor) textColor = ColorToRGB(canvas.FontColor);
  if (canvas.Brush.Color != color) backColor = ColorToRGB(canvas.Brush.Color);
  canvas.SetHandle(nullptr);
  if (!defaultDraw) return CDRF_SKIPDEFAULT;
  return changed ? CDRF_NEWFONT : CDRF_DODEFAULT;
}

}  // namespace ts
