#pragma once
// The localised captions the list's background menu and "new folder" use,
// read from the platform shell library's string table; where that table
// lacks a text, the program's own words stand in.
#include <windows.h>

#include <string>

namespace ts {

// The program's own resource string for a new folder's name.
constexpr UINT NewFolderResourceId = 65239;

// Reads NewFolderCaption and ShellMenuCaptions from the loaded shell library.
void ReadShellCaptions(HMODULE shell32);
void ClearShellCaptions();

// A string of a module's string table; empty when it has none.
std::wstring LoadModuleString(HMODULE module, UINT id);

}  // namespace ts
