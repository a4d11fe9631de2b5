#include "controls/ShellComboItem.h"

#include "shell/ItemIdListPaths.h"
#include "shell/NsSystemImageList.h"

namespace ts {

TNsComboItem::TNsComboItem(const std::wstring& aCaption, const std::wstring& aDisplayName, int aIndent,
                           int aImageIndex)
    : fCaption(aCaption), fDisplayName(aDisplayName), fIndent(aIndent), fImageIndex(aImageIndex) {}

int TNsComboItem::GetImageIndex() {
  if (fImageIndex == -1 && fPidl)
    fImageIndex = TNsSystemImageList::GetIndexFromItemIdList(fPidl.Get(), si_small, false);
  return fImageIndex;
}

std::wstring TNsComboItem::GetPath() const { return fPidl ? ItemIdListToPath(fPidl.Get()) : std::wstring(); }

}  // namespace ts
