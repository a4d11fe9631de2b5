#include "controls/ShellShowOptions.h"

#include <cwctype>

#include "shell/NsBrowser.h"
#include "shell/SameItem.h"
#include "shell/ShellGlobals.h"
#include "shell/SpecialFolders.h"

namespace ts {

namespace {

// Which of the recycle bin and the network folders the item is, if any.
TNsShellFolder FilteredKind(TNsBrowser& browser) {
  PCItemIDList absolute = browser.GetAbsoluteItemIdList();
  if (!absolute || DesktopFolder == nullptr) return SF_FILESYSTEMFOLDER;
  const int depth = GetItemIdCount(absolute);
  for (TNsShellFolder folder : {SF_BITBUCKET, SF_NETHOOD, SF_NETWORK}) {
    TPidl list(GetSpecialFolderItemIdList(folder));
    // Lists of different lengths never name the same item; comparing them
    // could bind every folder they share on the way down.
    if (list && GetItemIdCount(list.Get()) == depth && SameItemIdList(absolute, list.Get()))
      return folder;
  }
  return SF_FILESYSTEMFOLDER;
}

bool StartsWithRecycl(const std::wstring& name) {
  static constexpr wchar_t prefix[] = L"RECYCL";
  if (name.size() < 6) return false;
  for (size_t i = 0; i < 6; ++i)
    if (std::towupper(name[i]) != prefix[i]) return false;
  return true;
}

}  // namespace

bool ItemMatchesShowOptions(TNsBrowser& browser, TNsShellShowOptions options) {
  const bool hidden = browser.IsHidden();
  if (!options.Contains(soShowHidden) && hidden) return false;

  // Which special folder the item is matters only when one is to be hidden.
  const bool needKind = !options.Contains(soShowNethood) || !options.Contains(soShowRecycleBin);
  const TNsShellFolder kind = needKind ? FilteredKind(browser) : SF_FILESYSTEMFOLDER;
  if (!options.Contains(soShowNethood) && (kind == SF_NETHOOD || kind == SF_NETWORK)) return false;
  if (!options.Contains(soShowRecycleBin)) {
    if (kind == SF_BITBUCKET) return false;
    if (hidden && StartsWithRecycl(browser.GetObjectName())) return false;
  }
  if (!options.Contains(soShowFiles) && !browser.IsFolder()) return false;
  return true;
}

}  // namespace ts
