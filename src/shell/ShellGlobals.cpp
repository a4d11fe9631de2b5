#include "shell/ShellGlobals.h"

namespace ts {

namespace {
// Two zero bytes: a list with no records.
USHORT gEmptyList = 0;
}  // namespace

IShellFolder* DesktopFolder = nullptr;
PItemIDList DesktopItemIdList = reinterpret_cast<PItemIDList>(&gEmptyList);
TCriticalSection* ThumbnailLock = nullptr;

bool IsWinXPOrLater = true;
bool IsVistaOrLater = false;
bool IsWin7OrLater = false;

std::wstring WindowsDriveRoot;
std::wstring ProgramFilesX86Path;
std::wstring ProgramFilesNativePath;

TShellMenuCaptions ShellMenuCaptions;
std::wstring NewFolderCaption;
std::wstring LastBrowseFolderPath;

}  // namespace ts
