#include "toolkit/WindowStrings.h"

namespace ts {

void TWindowStrings::InsertIntoWindow(int index, const std::wstring& s) {
  if (!fOwner.HandleAllocated()) return;
  if (!fCountOnly) {
    Send(fMessages.InsertString, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.c_str()));
  } else if (GetUpdateCount() > 0) {
    // A batch tells the window its count once, at its end.
    fCountPending = true;
  } else if (index == GetCount() - 1) {
    SyncCount();
  } else {
    // A line without data, so that the selection below moves with its line.
    Send(fMessages.InsertString, static_cast<WPARAM>(index), 0);
  }
}

void TWindowStrings::SyncCount() {
  fCountPending = false;
  if (!fCountOnly || !fOwner.HandleAllocated()) return;
  if (Send(LB_GETCOUNT) != GetCount()) Send(LB_SETCOUNT, static_cast<WPARAM>(GetCount()));
  InvalidateRect(fOwner.GetHandle(), nullptr, TRUE);
}

void TWindowStrings::Changed() {
  if (fCountPending && GetUpdateCount() == 0) SyncCount();
  TStringList::Changed();
}

void TWindowStrings::Put(int index, const std::wstring& s) {
  TStringList::Put(index, s);
  if (!fOwner.HandleAllocated()) return;
  if (fCountOnly) {
    // The line is drawn from here: redrawing it is enough.
    RECT row;
    if (Send(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row)) != LB_ERR)
      InvalidateRect(fOwner.GetHandle(), &row, TRUE);
    return;
  }
  const LRESULT selected = Send(fMessages.GetCurSel);
  Send(fMessages.DeleteString, static_cast<WPARAM>(index));
  InsertIntoWindow(index, s);
  if (selected == index) Send(fMessages.SetCurSel, static_cast<WPARAM>(index));
}

void TWindowStrings::InsertObject(int index, const std::wstring& s, void* object) {
  TStringList::InsertObject(index, s, object);
  InsertIntoWindow(index, s);
}

int TWindowStrings::AddObject(const std::wstring& s, void* object) {
  const int before = GetCount();
  const int index = TStringList::AddObject(s, object);
  // A sorted list that ignores a duplicate adds nothing.
  if (GetCount() > before) InsertIntoWindow(index, s);
  return index;
}

void TWindowStrings::AddStrings(std::vector<std::wstring>&& strings) {
  if (GetSorted()) {
    TStringList::AddStrings(std::move(strings));
    return;
  }
  const int first = GetCount();
  AppendTaken(strings);
  if (!fOwner.HandleAllocated()) return;
  if (!fCountOnly) {
    for (int i = first; i < GetCount(); ++i) InsertIntoWindow(i, Get(i));
  } else if (GetUpdateCount() > 0) {
    fCountPending = true;
  } else {
    SyncCount();
  }
}

void TWindowStrings::Delete(int index) {
  TStringList::Delete(index);
  if (!fOwner.HandleAllocated()) return;
  if (fCountOnly && GetUpdateCount() > 0)
    fCountPending = true;
  else
    Send(fMessages.DeleteString, static_cast<WPARAM>(index));
}

void TWindowStrings::Clear() {
  TStringList::Clear();
  if (fOwner.HandleAllocated()) Send(fMessages.ResetContent);
}

}  // namespace ts
