#include "shell/NsPathList.h"

#include "shell/FileProbes.h"
#include "shell/PathClassification.h"
#include "toolkit/Exception.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Strings.h"

namespace ts {

TNsPathList::TNsPathList() { ApplySettings(); }

TNsPathList::TNsPathList(const TStringList& CopyFrom) {
  ApplySettings();
  for (int i = 0; i < CopyFrom.GetCount(); ++i) TStringList::AddObject(CopyFrom.Get(i), CopyFrom.GetObject(i));
}

TNsPathList::TNsPathList(const std::wstring& InitialValue) {
  ApplySettings();
  size_t start = 0;
  while (start <= InitialValue.size()) {
    size_t end = InitialValue.find(L';', start);
    if (end == std::wstring::npos) end = InitialValue.size();
    // An empty piece names no path.
    if (end > start) Add(InitialValue.substr(start, end - start));
    start = end + 1;
  }
}

void TNsPathList::ApplySettings() {
  SetSorted(true);
  SetDuplicates(dupIgnore);
  SetCaseSensitive(false);
  SetDelimiter(L';');
  SetStrictDelimiter(true);
  fCheckIfExists = true;
}

std::wstring TNsPathList::NormalizePath(const std::wstring& path) const {
  return IsRootPath(path) ? IncludeTrailingPathDelimiter(path) : ExcludeTrailingPathDelimiter(path);
}

bool TNsPathList::AcceptPath(const std::wstring& path) const { return !fCheckIfExists || PathExists(path); }

int TNsPathList::Add(const std::wstring& S) {
  const std::wstring path = NormalizePath(S);
  if (!AcceptPath(path)) return -1;
  int index;
  try {
    index = TStringList::AddObject(path, nullptr);
  } catch (const EStringListError&) {
    return -1;
  } catch (const EListError&) {
    return -1;
  }
  if (IsNetworkPath(path)) fContainsNetworkPath = true;
  if (index >= 0 && OnAdd) {
    // The hook may change the list (the notifier's drops its implicit entry):
    // the caller gets where the entry is afterwards, or -1 when it is gone.
    TTrackedIndex tracked(*this, index);
    OnAdd(S, index);
    index = tracked.Index;
    // Moved in a way no index follows (a sorted insertion, a clear): look.
    if (index >= 0 && (index >= GetCount() || CompareStrings(Get(index), path) != 0)) index = IndexOf(path);
  }
  return index;
}

void TNsPathList::Put(int Index, const std::wstring& S) {
  // Refused before anybody hears of a removal.
  if (GetSorted()) SortedListError();
  const std::wstring old = Get(Index);
  if (OnRemove) OnRemove(old, Index);
  TStringList::Put(Index, S);
  if (OnAdd) OnAdd(S, Index);
}

void TNsPathList::InsertObject(int Index, const std::wstring& S, void* AObject) {
  TStringList::InsertObject(Index, S, AObject);
  for (int* tracked : fTrackedIndexes)
    if (*tracked >= Index) ++*tracked;
  if (OnAdd) OnAdd(S, Index);
}

void TNsPathList::Delete(int Index) {
  if (OnRemove) OnRemove(Get(Index), Index);
  TStringList::Delete(Index);
  for (int* tracked : fTrackedIndexes)
    if (*tracked == Index)
      *tracked = -1;
    else if (*tracked > Index)
      --*tracked;
}

void TNsPathList::Remove(const std::wstring& str) {
  const int index = IndexOf(NormalizePath(str));
  if (index >= 0) Delete(index);
}

int TNsPathList::IndexOfPath(const std::wstring& aPath) const { return IndexOf(NormalizePath(aPath)); }

bool TNsPathList::AllItemsSubpathOf(const std::wstring& aPath) const {
  const std::wstring prefix = UpperCase(aPath);
  for (int i = 0; i < GetCount(); ++i)
    if (UpperCase(Get(i)).compare(0, prefix.size(), prefix) != 0) return false;
  return true;
}

void TNsPathList::Changed() {
  TStringList::Changed();
  fStringPointerValid = false;
}

const wchar_t* TNsPathList::GetStringPointer() {
  if (!fStringPointerValid) {
    fWideStringBuilder.Clear();
    fWideStringBuilder.fIncludeTrailingZeroCharacter = true;
    fWideStringBuilder.Append(*this);
    fWideStringBuilder.Append(std::wstring());
    fStringPointerValid = true;
  }
  return fWideStringBuilder.fString;
}

}  // namespace ts
