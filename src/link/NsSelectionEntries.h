#pragma once
// The entries of a selection list: a plain string list in the order the
// entries were added, whose IndexOf ignores case, and an index of them that
// queries read. The index is made again after a change and never altered
// once made, so that worker threads can go on reading one while the main
// thread changes the entries.
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "toolkit/StringList.h"

namespace ts {

class TNsSelectionEntriesIndex {
public:
  explicit TNsSelectionEntriesIndex(const TStringList& entries);
  TNsSelectionEntriesIndex(const TNsSelectionEntriesIndex&) = delete;
  TNsSelectionEntriesIndex& operator=(const TNsSelectionEntriesIndex&) = delete;

  // The entries in upper case, in list order.
  const std::vector<std::wstring>& Keys() const noexcept { return fKeys; }
  int Count() const noexcept { return static_cast<int>(fKeys.size()); }
  // Whether path (any case) is an entry.
  bool Contains(const std::wstring& path) const;
  // Whether some entry contains text (any case) anywhere.
  bool AnyContains(const std::wstring& text) const;
  // Some entry has ':' as its second character.
  bool HasLocalPath() const noexcept { return fHasLocalPath; }
  // Some entry begins with two backslashes.
  bool HasUNCPath() const noexcept { return fHasUNCPath; }

private:
  std::vector<std::wstring> fKeys;
  std::unordered_set<std::wstring_view> fMembers;  // views of fKeys
  bool fHasLocalPath = false;
  bool fHasUNCPath = false;
};

using TNsSelectionEntriesIndexPtr = std::shared_ptr<const TNsSelectionEntriesIndex>;

class TNsSelectionEntries : public TStringList {
  TS_CLASS(TNsSelectionEntries, TStringList)

public:
  // The first entry equal to s ignoring case, or -1.
  int IndexOf(const std::wstring& s) const override;
  // The index of the entries as they stand (main thread).
  TNsSelectionEntriesIndexPtr Index() const;

protected:
  void Changed() override;

private:
  mutable TNsSelectionEntriesIndexPtr fIndex;
};

}  // namespace ts
