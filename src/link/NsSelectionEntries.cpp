#include "link/NsSelectionEntries.h"

#include "toolkit/Strings.h"

namespace ts {

TNsSelectionEntriesIndex::TNsSelectionEntriesIndex(const TStringList& entries) {
  fKeys.reserve(static_cast<size_t>(entries.GetCount()));
  for (int i = 0; i < entries.GetCount(); ++i) {
    const std::wstring& entry = entries.Get(i);
    fKeys.push_back(UpperCase(entry));
    if (entry.size() >= 2 && entry[1] == L':') fHasLocalPath = true;
    if (entry.size() >= 2 && entry[0] == L'\\' && entry[1] == L'\\') fHasUNCPath = true;
  }
  // Views of the keys: made once the keys no longer move.
  fMembers.reserve(fKeys.size());
  for (const std::wstring& key : fKeys) fMembers.insert(key);
}

bool TNsSelectionEntriesIndex::Contains(const std::wstring& path) const {
  if (fMembers.empty()) return false;
  const std::wstring key = UpperCase(path);
  return fMembers.count(key) > 0;
}

bool TNsSelectionEntriesIndex::AnyContains(const std::wstring& text) const {
  if (fKeys.empty()) return false;
  const std::wstring key = UpperCase(text);
  for (const std::wstring& entry : fKeys)
    if (entry.find(key) != std::wstring::npos) return true;
  return false;
}

int TNsSelectionEntries::IndexOf(const std::wstring& s) const {
  TNsSelectionEntriesIndexPtr index = Index();
  if (!index->Contains(s)) return -1;
  const std::wstring key = UpperCase(s);
  const std::vector<std::wstring>& keys = index->Keys();
  for (size_t i = 0; i < keys.size(); ++i)
    if (keys[i] == key) return static_cast<int>(i);
  return -1;
}

TNsSelectionEntriesIndexPtr TNsSelectionEntries::Index() const {
  if (!fIndex) fIndex = std::make_shared<const TNsSelectionEntriesIndex>(*this);
  return fIndex;
}

void TNsSelectionEntries::Changed() {
  // Readers keep the index they hold; the next query makes a new one.
  fIndex.reset();
  TStringList::Changed();
}

}  // namespace ts
