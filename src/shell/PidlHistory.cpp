#include "shell/PidlHistory.h"

#include "shell/ShellGlobals.h"

namespace ts {

TPidlHistory::~TPidlHistory() { TPidlHistory::Clear(); }

void TPidlHistory::Add(PItemIDList pidl) {
  if (pidl == nullptr) return;
  TPidl entry(pidl);
  if (GetCount() > 0 && fPosition >= 0 && fPosition < GetCount() && DesktopFolder != nullptr &&
      HRESULT_CODE(DesktopFolder->CompareIDs(0, pidl, static_cast<PCItemIDList>(Get(fPosition)))) == 0)
    return;  // the same item: released with entry
  for (int i = GetCount() - 1; i > fPosition && i >= 0; --i) Delete(i);
  TList::Add(entry.Release());
  fPosition = GetCount() - 1;
}

void TPidlHistory::Delete(int Index) {
  auto* list = static_cast<PItemIDList>(Get(Index));
  TList::Delete(Index);
  CoTaskMemFree(list);
}

void TPidlHistory::Clear() {
  while (GetCount() > 0) Delete(GetCount() - 1);
  TList::Clear();
}

void TPidlHistory::MoveForward(int Delta) {
  for (int i = 0; i < Delta && fPosition < GetCount() - 1; ++i) ++fPosition;
}

void TPidlHistory::MoveBack(int Delta) {
  for (int i = 0; i < Delta && fPosition > 0; ++i) --fPosition;
}

PCItemIDList TPidlHistory::GetCurrentItemIDList() const { return static_cast<PCItemIDList>(Get(fPosition)); }

}  // namespace ts
