#include "shell/ShellFunctions.h"

#include "shell/NsBrowserError.h"
#include "shell/ShellCaptions.h"
#include "toolkit/Application.h"

namespace ts {

TShellFunctions ShellFunctions;

namespace {

struct TLoadedLibraries {
  HMODULE Shell32 = nullptr;
  HMODULE Shlwapi = nullptr;
  HMODULE Kernel32 = nullptr;
  bool OleInitialized = false;
  bool Loaded = false;
} gLibraries;

template <typename F>
void Bind(F& entry, HMODULE module, const char* name) {
  entry = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

template <typename F>
void Bind(F& entry, HMODULE module, WORD ordinal) {
  entry = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

void BindShell32(HMODULE module) {
  Bind(ShellFunctions.SHChangeNotifyRegister, module, WORD{2});
  Bind(ShellFunctions.SHChangeNotifyDeregister, module, WORD{4});
  Bind(ShellFunctions.SHGetPathFromIDListEx, module, "SHGetPathFromIDListEx");
  Bind(ShellFunctions.SHCreateItemFromIDList, module, "SHCreateItemFromIDList");
  Bind(ShellFunctions.SHGetImageList, module, WORD{727});
  Bind(ShellFunctions.CDefFolderMenu_Create2, module, WORD{701});
}

void BindShlwapi(HMODULE module) {
  Bind(ShellFunctions.SHAutoComplete, module, "SHAutoComplete");
  Bind(ShellFunctions.PathMatchSpecW, module, "PathMatchSpecW");
  Bind(ShellFunctions.StrRetToStrW, module, "StrRetToStrW");
  Bind(ShellFunctions.StrCmpLogicalW, module, "StrCmpLogicalW");
  Bind(ShellFunctions.StrFormatByteSizeW, module, "StrFormatByteSizeW");
}

void BindKernel32(HMODULE module) {
  Bind(ShellFunctions.IsWow64Process, module, "IsWow64Process");
  Bind(ShellFunctions.GetSystemWindowsDirectoryW, module, "GetSystemWindowsDirectoryW");
  Bind(ShellFunctions.GetLongPathNameW, module, "GetLongPathNameW");
}

}  // namespace

void LoadShellLibraries(const TShellLibraryNames& names) {
  if (gLibraries.Loaded) return;
  if (!IsLibrary()) gLibraries.OleInitialized = SUCCEEDED(OleInitialize(nullptr));

  gLibraries.Shell32 = LoadLibraryW(names.Shell32.c_str());
  if (gLibraries.Shell32 == nullptr) {
    UnloadShellLibraries();
    throw ENsBrowserError(L"RizezIvoruvi Components: Cannot open SHELL32.DLL!");
  }
  BindShell32(gLibraries.Shell32);
  ReadShellCaptions(gLibraries.Shell32);

  gLibraries.Shlwapi = LoadLibraryW(names.Shlwapi.c_str());
  if (gLibraries.Shlwapi == nullptr) {
    UnloadShellLibraries();
    throw ENsBrowserError(L"RizezIvoruvi Components: Cannot open SHLWAPI.DLL!");
  }
  BindShlwapi(gLibraries.Shlwapi);

  gLibraries.Kernel32 = LoadLibraryW(names.Kernel32.c_str());
  if (gLibraries.Kernel32 != nullptr) BindKernel32(gLibraries.Kernel32);
  gLibraries.Loaded = true;
}

void UnloadShellLibraries() {
  ShellFunctions = TShellFunctions{};
  ClearShellCaptions();
  for (HMODULE* module : {&gLibraries.Kernel32, &gLibraries.Shlwapi, &gLibraries.Shell32}) {
    if (*module != nullptr) FreeLibrary(*module);
    *module = nullptr;
  }
  if (gLibraries.OleInitialized) OleUninitialize();
  gLibraries.OleInitialized = false;
  gLibraries.Loaded = false;
}

bool ShellLibrariesLoaded() { return gLibraries.Loaded; }

HMODULE Shell32Module() { return gLibraries.Shell32; }

}  // namespace ts
