#include "toolkit/WindowStrings.h"

namespace ts {

void TWindowStrings::InsertIntoWindow(int index, const std::wstring& s) {
  if (fOwner.HandleAllocated())
    Send(fMessages.InsertString, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.c_str()));
}

void TWindowStrings::Put(int index, const std::wstring& s) {
  TStringList::Put(index, s);
  if (!fOwner.HandleAllocated()) return;
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
  const int index = TStringList::AddObject(s, object);
  InsertIntoWindow(index, s);
  return index;
}

void TWindowStrings::Delete(int index) {
  TStringList::Delete(index);
  if (fOwner.HandleAllocated()) Send(fMessages.DeleteString, static_cast<WPARAM>(index));
}

void TWindowStrings::Clear() {
  TStringList::Clear();
  if (fOwner.HandleAllocated()) Send(fMessages.ResetContent);
}

}  // namespace ts
