#pragma once
// Making shortcut files (.lnk) to files and folders, named the way the shell
// names the shortcuts it makes.
#include <string>

namespace ts {

// Writes a shortcut to target at linkPath; false when the platform cannot
// make or save it.
bool CreateShortcutFile(const std::wstring& target, const std::wstring& linkPath);
// Where a new shortcut to target goes in folder: "<name> - Shortcut.lnk",
// or the next free "<name> - Shortcut (2).lnk", ...; empty when no name is
// free.
std::wstring NewShortcutPath(const std::wstring& target, const std::wstring& folder);

}  // namespace ts
