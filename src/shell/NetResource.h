#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "shell/ItemIdList.h"

namespace ts {

// The remote name ("\\server" and the like) of a domain or server item of
// folder; empty for any other item.
std::wstring GetNetResourceName(IShellFolder* folder, PCItemIDList item);

}  // namespace ts
