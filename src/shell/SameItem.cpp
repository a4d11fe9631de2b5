#include "shell/SameItem.h"

#include "shell/ShellGlobals.h"

namespace ts {

bool SameItemIdList(PCItemIDList a, PCItemIDList b) {
  if (DesktopFolder == nullptr || a == nullptr || b == nullptr) return false;
  return CompareIDsSaysSame(DesktopFolder->CompareIDs(0, a, b));
}

PItemIDList RelativeItemIdList(PCItemIDList base, PCItemIDList absolute) {
  if (base == nullptr || absolute == nullptr) return nullptr;
  const int depth = GetItemIdCount(base);
  if (GetItemIdCount(absolute) <= depth) return nullptr;
  TPidl head(TruncateItemIdList(absolute, depth));
  if (!SameItemIdList(head.Get(), base)) return nullptr;
  // The records below base start where the head's terminator stands.
  const BYTE* rest = reinterpret_cast<const BYTE*>(absolute) + GetItemIdListSize(head.Get()) - 2;
  return CopyItemIdList(reinterpret_cast<PCItemIDList>(rest));
}

}  // namespace ts
