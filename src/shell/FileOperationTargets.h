#pragma once
// Where a copy or move puts its sources when the names they would take are
// taken: each of those gets the next free name, the way the shell names the
// copies it keeps beside the originals.
#include <functional>
#include <string>
#include <vector>

namespace ts {

// Whether the path holds the wildcards "*" or "?", which the platform's file
// operation expands itself.
bool HasWildcard(const std::wstring& path);

// The target of each source, in order, with every taken name replaced by a
// free one: "x (2).txt", "x (3).txt", ..., or "x - Copy.txt",
// "x - Copy (2).txt", ... for a copy onto the source itself. Two sources of
// one name never take the same target either, also in a folder the platform
// is yet to make. Empty when no name needs changing, and when only the
// platform can tell where the sources go (wildcards, several sources onto a
// file).
std::vector<std::wstring> CollisionFreeTargets(const std::vector<std::wstring>& sources,
                                               const std::wstring& destination, bool moving);

// The first name for target that isTaken does not claim: counting from 2
// ("x (2).txt"), or with asCopy from the copy mark ("x - Copy.txt", then
// "x - Copy (2).txt"). A folder's name has no extension. Empty when every
// number up to a large limit is taken.
std::wstring NextFreeName(const std::wstring& target, bool isFolder, bool asCopy,
                          const std::function<bool(const std::wstring&)>& isTaken);

// The name a new folder takes in folder (with a trailing delimiter or
// without): name itself when nothing there has it, else the first of
// "name (1)", "name (2)", ... that is free.
std::wstring FreeNewFolderName(const std::wstring& folder, const std::wstring& name);

}  // namespace ts
