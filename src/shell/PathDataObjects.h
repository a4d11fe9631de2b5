#pragma once
#include <objidl.h>

#include <vector>

#include "shell/ItemIdList.h"
#include "toolkit/ComPtr.h"

namespace ts {

class TStringList;

// Parses each path from the desktop; a path that does not parse is deleted
// from paths. The lists are the caller's to free; answers their number.
int PathsToItemIdLists(TStringList& paths, std::vector<PItemIDList>& lists);
// The shell's data object for the paths (those that parse). Raises the
// platform's error when the shell gives none.
TComPtr<IDataObject> GetDataObjectForPaths(TStringList& paths);

}  // namespace ts
