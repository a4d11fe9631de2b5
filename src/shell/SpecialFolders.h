#pragma once
// The special folders of the namespace and their platform folder ids.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "shell/ItemIdList.h"
#include "toolkit/Set.h"

namespace ts {

enum TNsShellFolder : uint8_t {
  SF_FILESYSTEMFOLDER, SF_BITBUCKET, SF_CONTROLS, SF_DESKTOP, SF_DESKTOPDIRECTORY, SF_DRIVES, SF_FONTS,
  SF_NETHOOD, SF_NETWORK, SF_PERSONAL, SF_PRINTERS, SF_PROGRAMS, SF_RECENT, SF_SENDTO, SF_STARTMENU,
  SF_STARTUP, SF_TEMPLATES, SF_FAVORITES, SF_COMMON_STARTMENU, SF_COMMON_STARTUP,
  SF_COMMON_DESKTOPDIRECTORY, SF_APPDATA, SF_PRINTHOOD, SF_COMMON_FAVORITES, SF_INTERNET_CACHE, SF_COOKIES,
  SF_HISTORY, SF_COMMON_PROGRAMS, SF_ALTSTARTUP, SF_COMMON_APPDATA, SF_COMMON_DOCUMENTS, SF_INTERNET,
  SF_LOCAL_APPDATA, SF_MYPICTURES, SF_PROGRAM_FILES, SF_SYSTEM, SF_PROGRAM_FILES_COMMON, SF_WINDOWS,
  SF_PROGRAM_FILESX86, SF_PROGRAM_FILES_COMMONX86, SF_SYSTEMX86, SF_INVALID
};
constexpr int SpecialFolderCount = SF_INVALID + 1;
using TNsShellFolders = TSet<TNsShellFolder, uint64_t>;

// The platform's CSIDL of a special folder; -1 for SF_INVALID.
int SpecialFolderCsidl(TNsShellFolder folder);
// The name of the value, "SF_DRIVES" and so on.
const wchar_t* SpecialFolderName(TNsShellFolder folder);

// How special folders are located: SHGetSpecialFolderLocation with no owner
// window. Replaceable so that tests can stand in for a platform that lacks
// some folders.
using TSpecialFolderLocator = HRESULT (*)(int csidl, PItemIDList* list);
extern TSpecialFolderLocator SpecialFolderLocator;
HRESULT PlatformSpecialFolderLocation(int csidl, PItemIDList* list);

// While one lives on a thread, each special folder is located once and then
// answered from memory on that thread: for runs of queries over which the
// folders do not move, such as the filtering of a folder's items (locating
// some of them costs milliseconds). Scopes nest; each has its own memory.
class TSpecialFolderCache {
public:
  TSpecialFolderCache();
  ~TSpecialFolderCache();
  TSpecialFolderCache(const TSpecialFolderCache&) = delete;
  TSpecialFolderCache& operator=(const TSpecialFolderCache&) = delete;

  // A copy of the folder's list (the caller's), or null.
  PItemIDList Locate(TNsShellFolder folder);

private:
  TSpecialFolderCache* fPrevious;
  PItemIDList fLists[SpecialFolderCount] = {};
  bool fLocated[SpecialFolderCount] = {};
};

// SF_DESKTOP gives a copy of DesktopItemIdList; every other value the
// platform's list; null when the platform has no such folder.
PItemIDList GetSpecialFolderItemIdList(TNsShellFolder folder);
// The file-system path of the folder; the x86 folders fall back to the
// native ones on a platform without them; empty for a virtual folder.
std::wstring GetSpecialFolderPath(TNsShellFolder folder);
// Which special folder an absolute list names: the first match in
// declaration order among the candidates (all values when the set is empty);
// SF_FILESYSTEMFOLDER when none matches, SF_INVALID for a null list.
TNsShellFolder GetSpecialFolderOfItemIdList(PCItemIDList list, TNsShellFolders candidates = {});
// Whether the item lies in or below the Network folder.
bool IsNetworkItem(PCItemIDList list);

}  // namespace ts
