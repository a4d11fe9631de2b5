#pragma once
// The item stages of the platform's custom draw, as the list and tree views
// answer them: the canvas on the item's context with the control's colours,
// the handler, and the colours it changed handed back to the platform.
#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "toolkit/Graphics.h"
#include "toolkit/Set.h"

namespace ts {

enum TCustomDrawStateFlag : uint8_t { cdsSelected, cdsGrayed, cdsDisabled, cdsChecked, cdsFocused, cdsHot };
using TCustomDrawState = TSet<TCustomDrawStateFlag, uint8_t>;

// drawItem answers whether the platform draws the item itself.
LRESULT AnswerItemCustomDraw(NMCUSTOMDRAW& draw, COLORREF& textColor, COLORREF& backColor, TCanvas& canvas,
                             TColor fontColor, TColor color,
                             const std::function<bool(LPARAM item, TCustomDrawState state)>& drawItem);

}  // namespace ts
