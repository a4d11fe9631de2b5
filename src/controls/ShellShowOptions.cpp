#include "controls/ShellShowOptions.h"

#include <cwctype>

#include "shell/NsBrowser.h"
#include "shell/SpecialFolders.h"

namespace ts {

namespace {

// Which of the recycle bin and the network folders the item is, if any.
TNsShellFolder FilteredKind(TNsBrowser& browser) {
  PCItemIDList absolute = browser.GetAbsoluteItemIdList();
  if (!absolute) return SF_FILESYSTEMFOLDER;
  return GetSpecialFolderOfItemIdList(absolute, {SF_BITBUCKET, SF_NETHOOD, SF_NETWORK});
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

  const TNsShellFolder kind = FilteredKind(browser);
  if (!options.Contains(soShowNethood) && (kind == SF_NETHOOD || kind == SF_NETWORK)) return false;
  if (!options.Contains(soShowRecycleBin)) {
    if (kind == SF_BITBUCKET) return false;
    if (hidden && StartsWithRecycl(browser.GetObjectName())) return false;
  }
  if (!options.Contains(soShowFiles) && !browser.IsFolder()) return false;
  return true;
}

}  // namespace ts
