#pragma once
// When two item identifier lists name the same item: the desktop folder is
// asked (CompareIDs with lParam 0) and its answer means "the same" only when
// it is a success code whose code part is 0. A failure says nothing about
// the items, whatever its low word holds. The bytes are never compared.
#include <windows.h>
#include <shlobj.h>

#include "shell/ItemIdList.h"

namespace ts {

// Whether a CompareIDs result says that both lists name the same item.
constexpr bool CompareIDsSaysSame(HRESULT hr) noexcept { return SUCCEEDED(hr) && HRESULT_CODE(hr) == 0; }

// Whether two absolute lists name the same item; false when either is null or
// the shell layer is not started.
bool SameItemIdList(PCItemIDList a, PCItemIDList b);

// The part of an absolute list below the folder base (absolute too), as a
// new list relative to base; null when absolute does not lie below base.
PItemIDList RelativeItemIdList(PCItemIDList base, PCItemIDList absolute);

}  // namespace ts
