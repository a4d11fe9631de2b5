#include "controls/ShellListItem.h"

#include "controls/ShellList.h"
#include "work/GlobalWorkerPool.h"

namespace ts {

// TNsCheckableListItem

TNsBaseShellListView* TNsCheckableListItem::GetListView() const {
  TCustomListView* view = TListItem::GetListView();
  return view != nullptr && view->InheritsFrom(TNsBaseShellListView::StaticClass())
             ? static_cast<TNsBaseShellListView*>(view)
             : nullptr;
}

TNsSelectionState TNsCheckableListItem::GetCheckState() {
  const int index = GetStateIndex();
  if (index < 0 || index > ssGrayed) return ssUnused;
  return static_cast<TNsSelectionState>(index);
}

void TNsCheckableListItem::SetCheckState(TNsSelectionState value) {
  SetStateIndex(value == ssUnused ? -1 : static_cast<int>(value));
}

bool TNsCheckableListItem::GetChecked() {
  const TNsSelectionState state = GetCheckState();
  return state == ssChecked || state == ssGrayed;
}

void TNsCheckableListItem::SetChecked(bool value) { SetCheckState(value ? ssChecked : ssUnChecked); }

// TNsShellListItem

TNsShellListItem::~TNsShellListItem() {
  // An item that never asked for work has nothing to cancel; skipping the
  // call keeps clearing a large list from walking the pool's queue per item.
  if (fJobsQueued)
    if (TWorkerThreadPool* pool = GlobalWorkerPool()) pool->TerminateWorkItems(TNsShellList::TagOf(this));
}

TNsShellList* TNsShellListItem::GetListView() const {
  TCustomListView* view = TListItem::GetListView();
  return view != nullptr && view->InheritsFrom(TNsShellList::StaticClass()) ? static_cast<TNsShellList*>(view)
                                                                             : nullptr;
}

std::wstring TNsShellListItem::GetPath() { return GetFullPath(); }

void TNsShellListItem::SetRelativePIDL(PItemIDList value) {
  fRelativePIDL.Reset(value);
  fAbsolutePIDL.Reset();
  FullPath_Cache.clear();
}

PCItemIDList TNsShellListItem::GetAbsolutePIDL() {
  if (!fAbsolutePIDL && fRelativePIDL) {
    TNsShellList* list = GetListView();
    PCItemIDList folder = list != nullptr ? list->GetFolderIdList() : nullptr;
    if (folder != nullptr) fAbsolutePIDL.Reset(ConcatItemIdLists(folder, fRelativePIDL.Get()));
  }
  return fAbsolutePIDL.Get();
}

std::wstring TNsShellListItem::GetFullPath() {
  TNsShellList* list = GetListView();
  return list != nullptr ? list->GetFullPath(this) : std::wstring();
}

TNsShellListItem* TNsShellListItem::GetNextItem(TSearchDirection Direction, UINT States) {
  TNsShellList* list = GetListView();
  if (list == nullptr) return nullptr;
  return static_cast<TNsShellListItem*>(list->TCustomListView::GetNextItem(this, Direction, States));
}

int TNsShellListItem::Compare(TNsShellListItem* other) {
  return other != nullptr ? Compare(other->GetRelativePIDL(), -1) : 0;
}

int TNsShellListItem::Compare(PCItemIDList relative, int SortColumn) {
  TNsShellList* list = GetListView();
  if (list == nullptr) return 0;
  IShellFolder* folder = list->GetBrowser()->GetShellFolder();
  if (folder == nullptr || !fRelativePIDL || relative == nullptr) return 0;
  const int column = SortColumn == -1 ? list->GetShellColumnNumber(list->GetSortColumn()) : SortColumn;
  const HRESULT hr = folder->CompareIDs(static_cast<LPARAM>(column), fRelativePIDL.Get(), relative);
  if (FAILED(hr)) return 0;
  return static_cast<short>(HRESULT_CODE(hr));
}

}  // namespace ts
