// The shell list view's automatic refresh: the shell's change notifications
// and a watch of the folder shown (which also sees changes made behind the
// shell's back) restart one timer, so that a burst of changes makes one
// smart refresh; new items take their places by the sort.
#include <windows.h>
#include <shlobj.h>

#include "controls/ShellList.h"
#include "notify/DirectoryWatcher.h"
#include "shell/FileProbes.h"
#include "shell/ItemIdListPaths.h"
#include "shell/PathClassification.h"
#include "shell/SameItem.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Strings.h"

namespace ts {

namespace {

constexpr wchar_t kThumbnailCache[] = L"Thumbs.db";

// The last part of a list, as a list of its own; null for the desktop.
PItemIDList LastItemOf(PCItemIDList list) {
  const int count = GetItemIdCount(list);
  return count > 0 ? GetItemIdAt(list, count - 1) : nullptr;
}

}  // namespace

void TNsShellList::ShellChangeNotified(TObject*, TNotificationEvent Event, PCItemIDList pidl1, PCItemIDList) {
  if (fIgnoreChanges) return;
  switch (Event) {
    case neDriveRemove:
    case neMediaRemove:
    case neNetShare:
    case neNetUnShare:
      fUpdateTimer->SetEnabled(false);
      FullRefresh();
      return;
    case neFileDelete:
    case neFolderDelete: {
      if (pidl1 == nullptr) return;
      // Only an item of the folder shown is one of the list's.
      const int count = GetItemIdCount(pidl1);
      TPidl parent(TruncateItemIdList(pidl1, count > 0 ? count - 1 : 0));
      PCItemIDList folder = GetFolderIdList();
      if (count == 0 || folder == nullptr || !SameItemIdList(parent.Get(), folder)) return;
      TPidl last(LastItemOf(pidl1));
      const int index = IndexOfPIDL(last.Get());
      if (index >= 0) GetItems().Delete(index);
      return;
    }
    case neFileChange:
      if (fThumbnails && SameText(ExtractFileName(ItemIdListToPath(pidl1)), kThumbnailCache)) return;
      break;
    case neFolderUpdate:
      if (!SamePath(ItemIdListToPath(pidl1), GetPath())) return;
      break;
    default:
      break;
  }
  RestartUpdateTimer();
}

void TNsShellList::UpdateTimerFired(TObject*) {
  fUpdateTimer->SetEnabled(false);
  const std::wstring path = GetPath();
  if (GetSpecialFolder() == SF_FILESYSTEMFOLDER && !path.empty() && !PathExists(path)) {
    // The folder shown went: the computer's drives are shown instead.
    SetSpecialFolder(SF_DRIVES);
    return;
  }
  SmartRefresh();
}

void TNsShellList::WatchShownFolder() {
  if (!fDirectoryWatcher) return;
  const std::wstring path = fAutomaticRefresh && !IsLoading() ? GetPath() : std::wstring();
  fDirectoryWatcher->Watch(path.empty() ? path : ExcludeTrailingPathDelimiter(path));
}

void TNsShellList::DirectoryChanged(const std::vector<std::wstring>& names) {
  if (fIgnoreChanges || !fAutomaticRefresh) return;
  // The thumbnail cache the shell writes while thumbnails are made.
  if (fThumbnails && !names.empty()) {
    bool onlyCache = true;
    for (const std::wstring& name : names) onlyCache = onlyCache && SameText(ExtractFileName(name), kThumbnailCache);
    if (onlyCache) return;
  }
  RestartUpdateTimer();
}

void TNsShellList::PlaceAddedItems(int first) {
  TNsShellListItems& items = GetItems();
  for (int added = first; added < items.Count(); ++added) {
    TNsShellListItem* item = items[added];
    // A binary search among the items before it, which are in order.
    int low = 0, high = added;
    while (low < high) {
      const int middle = low + (high - low) / 2;
      if (CompareListItems(items[middle], item) <= 0)
        low = middle + 1;
      else
        high = middle;
    }
    if (low != added) items.Base().Move(added, low);
  }
}

}  // namespace ts
