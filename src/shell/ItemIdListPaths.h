#pragma once
// Between paths (or display names) and item identifier lists.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "shell/ItemIdList.h"

namespace ts {

// Parses a path or display name relative to folder (the desktop when null).
// An empty path gives My Computer; "C:" is taken as "C:\". Null on failure,
// with the HRESULT left in the thread's last error.
PItemIDList PathToItemIdList(IShellFolder* folder, const std::wstring& path);
// The file-system path of an absolute list; empty for null and for items
// that have none.
std::wstring ItemIdListToPath(PCItemIDList list);

}  // namespace ts
