// The browser object: questions about the current item.
#include <windows.h>
#include <shellapi.h>
#include <winnetwk.h>

#include "shell/ErrorMode.h"
#include "shell/FileProbes.h"
#include "shell/LinkTarget.h"
#include "shell/NsBrowser.h"
#include "shell/NsSystemImageList.h"
#include "shell/PathClassification.h"
#include "shell/ShellGlobals.h"
#include "shell/StrRet.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Strings.h"

namespace ts {

namespace {

// Days since 1 March of year 0 in the proleptic Gregorian calendar.
int64_t DaysFromCivil(int year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra;
}

// Days since 1899-12-30; before it the time of day counts away from zero.
double SystemTimeToDateTime(const SYSTEMTIME& time) {
  const int64_t days = DaysFromCivil(time.wYear, time.wMonth, time.wDay) - DaysFromCivil(1899, 12, 30);
  const double fraction =
      (time.wHour * 3600000.0 + time.wMinute * 60000.0 + time.wSecond * 1000.0 + time.wMilliseconds) / 86400000.0;
  return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

}  // namespace

std::wstring TNsBrowser::GetShellObjectName(bool pInFolderName) {
  if (!FItemIDList || !FShellFolder) return {};
  std::wstring name;
  STRRET strret{};
  if (SUCCEEDED(FShellFolder->GetDisplayNameOf(FItemIDList.Get(), pInFolderName ? SHGDN_INFOLDER : SHGDN_NORMAL,
                                                &strret)))
    name = StrRetToString(FItemIDList.Get(), strret);
  if (name.empty()) name = GetObjectName();
  return name;
}

ULONG TNsBrowser::GetAttributes(ULONG Attributes) {
  if (!FItemIDList || !FShellFolder) return 0;
  PCUITEMID_CHILD items[] = {FItemIDList.Get()};
  SFGAOF answer = Attributes;
  if (FAILED(FShellFolder->GetAttributesOf(1, items, &answer))) return 0;
  return answer & Attributes;
}

bool TNsBrowser::IsFolder() {
  if (FFileSystemOnly) {
    constexpr ULONG kBoth = SFGAO_FOLDER | SFGAO_FILESYSANCESTOR;
    return GetAttributes(kBoth) == kBoth;
  }
  return GetAttributes(SFGAO_FOLDER) != 0;
}

bool TNsBrowser::IsFileSystemFolder() {
  const std::wstring folder = GetFolder();
  return !folder.empty() && !HasExtension(folder, L".ZIP") && GetSpecialFolder() != SF_DESKTOP;
}

bool TNsBrowser::HasSubFolders() {
  if (!FItemIDList) return true;
  if (fHasSubFolders < 0) {
    bool result;
    if (UpperCase(ExtractFileExt(GetObjectName())) == L".ZIP") {
      // An archive is a folder in the full namespace, a file on disk.
      result = !FFileSystemOnly;
    } else if (FFileSystemOnly) {
      const ULONG answer = GetAttributes(SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR);
      result = (answer & SFGAO_HASSUBFOLDER) != 0 && (answer & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) != 0;
    } else {
      result = GetAttributes(SFGAO_HASSUBFOLDER) != 0;
    }
    fHasSubFolders = result ? 1 : 0;
  }
  return fHasSubFolders == 1;
}

std::wstring TNsBrowser::IsLinkToFolder() {
  if (!IsLink()) return {};
  const std::wstring target = ResolveLinkTarget(GetFolder() + GetObjectName());
  return !target.empty() && PathExists(target) ? target : std::wstring();
}

bool TNsBrowser::IsDrive() { return IsRootPath(GetItemFullPath()); }

TNsShellFolder TNsBrowser::IsSpecialObject() { return GetSpecialFolderOfItemIdList(GetAbsoluteItemIdList()); }

int TNsBrowser::GetIconNumber() {
  return TNsSystemImageList::GetIndexFromItemIdList(GetAbsoluteItemIdList(), si_small, false);
}

int TNsBrowser::GetSelectedIconNumber() {
  return TNsSystemImageList::GetIndexFromItemIdList(GetAbsoluteItemIdList(), si_small, true);
}

int TNsBrowser::GetOverlayIndex() {
  if (!FItemIDList) return -1;
  TComPtr<IShellIconOverlay> overlay;
  if (FShellFolder && SUCCEEDED(FShellFolder.As(IID_IShellIconOverlay, overlay)) && overlay) {
    int index = -1;
    HRESULT hr;
    {
      TFailCriticalErrorsScope errorMode;
      hr = overlay->GetOverlayIndex(FItemIDList.Get(), &index);
    }
    return SUCCEEDED(hr) ? index - 1 : -1;
  }
  // Without the folder's overlay source: the link and share overlays by attribute.
  const ULONG attributes = GetAttributes(SFGAO_LINK | SFGAO_SHARE);
  if ((attributes & SFGAO_LINK) != 0) return 1;
  if ((attributes & SFGAO_SHARE) != 0) return 0;
  return -1;
}

int64_t TNsBrowser::GetFileSize() { return GetFileSizeByPath(GetFolder() + GetObjectName()); }

bool TNsBrowser::GetFindData() {
  if (FindDataFromIDL.cFileName[0] != L'\0') return true;
  if (!FItemIDList || !FShellFolder) return false;
  static_assert(sizeof(WIN32_FIND_DATAW) == 592, "the directory entry has the platform's layout");
  if (SUCCEEDED(SHGetDataFromIDListW(FShellFolder.Get(), FItemIDList.Get(), SHGDFIL_FINDDATA, &FindDataFromIDL,
                                     sizeof FindDataFromIDL)))
    return true;
  FindDataFromIDL.cFileName[0] = L'\0';
  return false;
}

double TNsBrowser::GetLastChangeDate() {
  if (!GetFindData() || FindDataFromIDL.ftLastWriteTime.dwHighDateTime == 0) return 0;
  SYSTEMTIME time;
  if (!FileTimeToSystemTime(&FindDataFromIDL.ftLastWriteTime, &time)) return 0;
  return SystemTimeToDateTime(time);
}

int TNsBrowser::GetDesktopIconIndex() {
  SHFILEINFOW info{};
  if (DesktopItemIdList == nullptr) return 0;
  if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(DesktopItemIdList), 0, &info, sizeof info,
                      SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
    return 0;
  return info.iIcon;
}

std::wstring TNsBrowser::GetDesktopName() {
  SHFILEINFOW info{};
  if (DesktopItemIdList == nullptr) return {};
  if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(DesktopItemIdList), 0, &info, sizeof info,
                      SHGFI_PIDL | SHGFI_DISPLAYNAME))
    return {};
  return info.szDisplayName;
}

bool TNsBrowser::ShowNetConnectionDialog() {
  const DWORD result = WNetConnectionDialog(GetOwnerWindow(), RESOURCETYPE_DISK);
  SetLastError(result);
  return result == NO_ERROR;
}

}  // namespace ts
