#pragma once
// The shell layer's process-wide objects: made once at start-up, only read
// between start-up and shut-down (from any thread).
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "shell/ItemIdList.h"
#include "toolkit/CriticalSection.h"

namespace ts {

// The root folder of the namespace; null outside start-up and shut-down.
extern IShellFolder* DesktopFolder;
// The empty list, naming the desktop; static storage, never freed.
extern PItemIDList DesktopItemIdList;
// Serialises the older thumbnail extraction path.
extern TCriticalSection* ThumbnailLock;

// Version flags; each keeps its initial value when the version is unknown.
extern bool IsWinXPOrLater;   // true until computed
extern bool IsVistaOrLater;   // false until computed
extern bool IsWin7OrLater;    // false until computed

extern std::wstring WindowsDriveRoot;        // "C:\"
extern std::wstring ProgramFilesX86Path;
extern std::wstring ProgramFilesNativePath;

// Captions of the list's background menu, as the platform's shell words them.
struct TShellMenuCaptions {
  std::wstring ViewMenu;
  std::wstring IconView;
  std::wstring ListView;
  std::wstring DetailsView;
  std::wstring ThumbnailsView;
  std::wstring Properties;
  std::wstring Paste;
  std::wstring Refresh;
  std::wstring NewMenu;
  std::wstring NewFolder;
};
extern TShellMenuCaptions ShellMenuCaptions;
extern std::wstring NewFolderCaption;

// The folder last chosen through a browse dialog of the process, where the
// next one starts; main thread only, kept from any one start-up of the shell
// layer to its shut-down.
extern std::wstring LastBrowseFolderPath;

}  // namespace ts
