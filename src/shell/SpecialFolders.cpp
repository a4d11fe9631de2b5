#include "shell/SpecialFolders.h"

#include "shell/ItemIdListPaths.h"
#include "shell/SameItem.h"
#include "shell/ShellGlobals.h"

namespace ts {

namespace {

struct TSpecialFolderEntry {
  const wchar_t* Name;
  int Csidl;
};

// In declaration order of TNsShellFolder.
constexpr TSpecialFolderEntry kSpecialFolders[SpecialFolderCount] = {
    {L"SF_FILESYSTEMFOLDER", 0x11}, {L"SF_BITBUCKET", 0x0A},
    {L"SF_CONTROLS", 0x03},         {L"SF_DESKTOP", 0x00},
    {L"SF_DESKTOPDIRECTORY", 0x10}, {L"SF_DRIVES", 0x11},
    {L"SF_FONTS", 0x14},            {L"SF_NETHOOD", 0x13},
    {L"SF_NETWORK", 0x12},          {L"SF_PERSONAL", 0x05},
    {L"SF_PRINTERS", 0x04},         {L"SF_PROGRAMS", 0x02},
    {L"SF_RECENT", 0x08},           {L"SF_SENDTO", 0x09},
    {L"SF_STARTMENU", 0x0B},        {L"SF_STARTUP", 0x07},
    {L"SF_TEMPLATES", 0x15},        {L"SF_FAVORITES", 0x06},
    {L"SF_COMMON_STARTMENU", 0x16}, {L"SF_COMMON_STARTUP", 0x18},
    {L"SF_COMMON_DESKTOPDIRECTORY", 0x19}, {L"SF_APPDATA", 0x1A},
    {L"SF_PRINTHOOD", 0x1B},        {L"SF_COMMON_FAVORITES", 0x1F},
    {L"SF_INTERNET_CACHE", 0x20},   {L"SF_COOKIES", 0x21},
    {L"SF_HISTORY", 0x22},          {L"SF_COMMON_PROGRAMS", 0x17},
    {L"SF_ALTSTARTUP", 0x1D},       {L"SF_COMMON_APPDATA", 0x23},
    {L"SF_COMMON_DOCUMENTS", 0x2E}, {L"SF_INTERNET", 0x01},
    {L"SF_LOCAL_APPDATA", 0x1C},    {L"SF_MYPICTURES", 0x27},
    {L"SF_PROGRAM_FILES", 0x26},    {L"SF_SYSTEM", 0x25},
    {L"SF_PROGRAM_FILES_COMMON", 0x2B}, {L"SF_WINDOWS", 0x24},
    {L"SF_PROGRAM_FILESX86", 0x2A}, {L"SF_PROGRAM_FILES_COMMONX86", 0x2C},
    {L"SF_SYSTEMX86", 0x29},        {L"SF_INVALID", -1},
};

// The innermost cache scope of this thread, or null.
thread_local TSpecialFolderCache* gCache = nullptr;

// The folder's list from the locator; null on failure of any kind.
PItemIDList AskLocator(TNsShellFolder folder) {
  PItemIDList list = nullptr;
  int csidl = SpecialFolderCsidl(folder);
  if (csidl < 0 || SpecialFolderLocator == nullptr) return nullptr;
  if (FAILED(SpecialFolderLocator(csidl, &list))) {
    if (list != nullptr) CoTaskMemFree(list);
    return nullptr;
  }
  return list;
}

PItemIDList LocateSpecialFolder(TNsShellFolder folder) {
  return gCache != nullptr ? gCache->Locate(folder) : AskLocator(folder);
}

}  // namespace

TSpecialFolderCache::TSpecialFolderCache() : fPrevious(gCache) { gCache = this; }

TSpecialFolderCache::~TSpecialFolderCache() {
  gCache = fPrevious;
  for (PItemIDList list : fLists)
    if (list != nullptr) CoTaskMemFree(list);
}

PItemIDList TSpecialFolderCache::Locate(TNsShellFolder folder) {
  if (folder >= SpecialFolderCount) return nullptr;
  if (!fLocated[folder]) {
    fLists[folder] = AskLocator(folder);
    fLocated[folder] = true;
  }
  return CopyItemIdList(fLists[folder]);
}

HRESULT PlatformSpecialFolderLocation(int csidl, PItemIDList* list) {
  return SHGetSpecialFolderLocation(nullptr, csidl, list);
}

TSpecialFolderLocator SpecialFolderLocator = PlatformSpecialFolderLocation;

int SpecialFolderCsidl(TNsShellFolder folder) {
  return folder < SpecialFolderCount ? kSpecialFolders[folder].Csidl : -1;
}

const wchar_t* SpecialFolderName(TNsShellFolder folder) {
  return folder < SpecialFolderCount ? kSpecialFolders[folder].Name : L"SF_INVALID";
}

PItemIDList GetSpecialFolderItemIdList(TNsShellFolder folder) {
  if (folder == SF_DESKTOP) return CopyItemIdList(DesktopItemIdList);
  return LocateSpecialFolder(folder);
}

std::wstring GetSpecialFolderPath(TNsShellFolder folder) {
  TPidl list(LocateSpecialFolder(folder));
  std::wstring path = ItemIdListToPath(list.Get());
  if (!path.empty()) return path;
  switch (folder) {
    case SF_PROGRAM_FILESX86: return GetSpecialFolderPath(SF_PROGRAM_FILES);
    case SF_PROGRAM_FILES_COMMONX86: return GetSpecialFolderPath(SF_PROGRAM_FILES_COMMON);
    case SF_SYSTEMX86: return GetSpecialFolderPath(SF_SYSTEM);
    default: return path;
  }
}

TNsShellFolder GetSpecialFolderOfItemIdList(PCItemIDList list, TNsShellFolders candidates) {
  if (list == nullptr) return SF_INVALID;
  // From 1: SF_FILESYSTEMFOLDER shares My Computer's id and is never searched for.
  for (int value = SF_BITBUCKET; value <= SF_INVALID; ++value) {
    auto folder = static_cast<TNsShellFolder>(value);
    if (!candidates.Empty() && !candidates.Contains(folder)) continue;
    TPidl folderList(LocateSpecialFolder(folder));
    if (folderList && SameItemIdList(list, folderList.Get())) return folder;
  }
  return SF_FILESYSTEMFOLDER;
}

bool IsNetworkItem(PCItemIDList list) {
  if (list == nullptr) return false;
  TPidl network(LocateSpecialFolder(SF_NETWORK));
  if (!network) return false;
  TPidl first(GetItemIdAt(list, 0));
  return first && SameItemIdList(first.Get(), network.Get());
}

}  // namespace ts
