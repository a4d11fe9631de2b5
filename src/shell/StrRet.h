#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "shell/ItemIdList.h"

namespace ts {

// The text of a display name a folder returned for item. Converting
// releases a wide string the STRRET holds. Empty when the conversion fails.
std::wstring StrRetToString(PCItemIDList item, const STRRET& strret);
// Releases the wide string a folder allocated in a STRRET.
void FreeStrRet(STRRET& strret);

}  // namespace ts
