#pragma once
// Platform functions that the shell layer binds at run time, by name or by
// ordinal, when it loads its libraries. A missing function leaves its entry
// null, and every user checks for null.
#include <windows.h>
#include <shlobj.h>

#include <string>

namespace ts {

struct TShellFunctions {
  // Shell32
  ULONG(WINAPI* SHChangeNotifyRegister)(HWND wnd, int sources, LONG events, UINT msg, int entries,
                                        const SHChangeNotifyEntry* items) = nullptr;  // ordinal 2
  BOOL(WINAPI* SHChangeNotifyDeregister)(ULONG registration) = nullptr;          // ordinal 4
  BOOL(WINAPI* SHGetPathFromIDListEx)(PCIDLIST_ABSOLUTE list, PWSTR path, DWORD chars, int flags) = nullptr;
  HRESULT(WINAPI* SHCreateItemFromIDList)(PCIDLIST_ABSOLUTE list, REFIID iid, void** item) = nullptr;
  HRESULT(WINAPI* SHGetImageList)(int list, REFIID iid, void** imageList) = nullptr;  // ordinal 727
  HRESULT(WINAPI* CDefFolderMenu_Create2)(PCIDLIST_ABSOLUTE folder, HWND wnd, UINT count,
                                          PCUITEMID_CHILD_ARRAY items, IShellFolder* shellFolder,
                                          LPFNDFMCALLBACK callback, UINT keyCount, const HKEY* keys,
                                          IContextMenu** menu) = nullptr;  // ordinal 701
  // shlwapi
  HRESULT(WINAPI* SHAutoComplete)(HWND edit, DWORD flags) = nullptr;
  BOOL(WINAPI* PathMatchSpecW)(LPCWSTR name, LPCWSTR spec) = nullptr;
  HRESULT(WINAPI* StrRetToStrW)(STRRET* strret, PCUITEMID_CHILD item, LPWSTR* text) = nullptr;
  int(WINAPI* StrCmpLogicalW)(PCWSTR a, PCWSTR b) = nullptr;
  PWSTR(WINAPI* StrFormatByteSizeW)(LONGLONG size, PWSTR buffer, UINT chars) = nullptr;
  // kernel32.dll
  BOOL(WINAPI* IsWow64Process)(HANDLE process, PBOOL wow64) = nullptr;
  UINT(WINAPI* GetSystemWindowsDirectoryW)(LPWSTR buffer, UINT chars) = nullptr;
  DWORD(WINAPI* GetLongPathNameW)(LPCWSTR shortPath, LPWSTR longPath, DWORD chars) = nullptr;
};

extern TShellFunctions ShellFunctions;

// The library names the shell layer loads; tests may name others.
struct TShellLibraryNames {
  std::wstring Shell32 = L"Shell32";
  std::wstring Shlwapi = L"shlwapi";
  std::wstring Kernel32 = L"kernel32.dll";
};

// Step 1 of the start-up: the component runtime of the main thread (unless
// this code runs in a library), the libraries and their entries, and the
// localised captions. Raises ENsBrowserError when Shell32 or shlwapi does not
// load, leaving nothing loaded.
void LoadShellLibraries(const TShellLibraryNames& names = {});
// The last step of the shut-down: every entry null, the libraries unloaded,
// the component runtime released.
void UnloadShellLibraries();
bool ShellLibrariesLoaded();
HMODULE Shell32Module();

}  // namespace ts
