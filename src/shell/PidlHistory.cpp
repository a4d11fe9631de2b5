#include "shell/PidlHistory.h"

#include "shell/SameItem.h"

namespace ts {

// The base's destructor no longer reaches this class's Notify.
TPidlHistory::~TPidlHistory() { Clear(); }

void TPidlHistory::Notify(void* item, TListNotification action) {
  if (action == lnDeleted) CoTaskMemFree(item);
  TList::Notify(item, action);
}

void TPidlHistory::Add(PItemIDList pidl) {
  if (pidl == nullptr) return;
  TPidl entry(pidl);
  if (fPosition >= 0 && fPosition < GetCount() &&
      SameItemIdList(pidl, static_cast<PCItemIDList>(Get(fPosition))))
    return;  // the same item: released with entry
  for (int i = GetCount() - 1; i > fPosition && i >= 0; --i) Delete(i);
  TList::Add(entry.Release());
  fPosition = GetCount() - 1;
}

void TPidlHistory::Delete(int Index) { TList::Delete(Index); }

void TPidlHistory::Clear() {
  TList::Clear();
  fPosition = 0;
}

void TPidlHistory::MoveForward(int Delta) {
  for (int i = 0; i < Delta && fPosition < GetCount() - 1; ++i) ++fPosition;
}

void TPidlHistory::MoveBack(int Delta) {
  for (int i = 0; i < Delta && fPosition > 0; ++i) --fPosition;
}

PCItemIDList TPidlHistory::GetCurrentItemIDList() const { return static_cast<PCItemIDList>(Get(fPosition)); }

}  // namespace ts
