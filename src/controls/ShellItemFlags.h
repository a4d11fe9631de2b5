#pragma once
// What the shell controls remember about an item beside its identifier
// lists: a parent-folder entry, a folder, compressed or encrypted on disk,
// slow to reach, or kept although an enumeration no longer reports it.
#include <cstdint>

#include "toolkit/Set.h"

namespace ts {

enum TNsShellItemFlag : uint8_t {
  sitIsParentFolderItem,
  sitIsFolder,
  sitCompressed,
  sitEncrypted,
  sitIsSlow,
  sitSticky
};
using TNsShellItemFlags = TSet<TNsShellItemFlag, uint8_t>;

}  // namespace ts
