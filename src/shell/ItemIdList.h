#pragma once
// Item identifier lists: the shell's binary paths of items. A list is a run of
// records, each a 16-bit byte count (counting itself) and opaque data, closed
// by a zero count. Every list an operation returns is a fresh block of the
// COM task allocator owned by the caller (CoTaskMemFree); no operation takes
// ownership of a list passed to it, and a null list answers the neutral value.
#include <windows.h>
#include <shlobj.h>

#include <utility>

namespace ts {

using PItemIDList = LPITEMIDLIST;
using PCItemIDList = LPCITEMIDLIST;

// A zero-filled block of cb bytes; null when the allocation fails.
PItemIDList AllocItemIdList(int cb);
// 0 for null, else 2 plus the sum of all record counts.
int GetItemIdListSize(PCItemIDList list);
// The number of records; 0 for null and for the empty list.
int GetItemIdCount(PCItemIDList list);
PItemIDList CopyItemIdList(PCItemIDList list);
// The items of first followed by those of second; a null operand adds
// nothing; null when both are null or the allocation fails.
PItemIDList ConcatItemIdLists(PCItemIDList first, PCItemIDList second);
// The record at index as a one-item list; the empty list for index equal to
// the item count; null for a negative index, one beyond the count, or null.
PItemIDList GetItemIdAt(PCItemIDList list, int index);
// The last record as a one-item list; null for the empty list and for null.
PItemIDList GetLastItemId(PCItemIDList list);
// A copy holding only the first count records (all of them when count is at
// least the item count); null for null or a negative count.
PItemIDList TruncateItemIdList(PCItemIDList list, int count);

// Holds one owned list inside a function, freeing it on every path.
class TPidl {
public:
  TPidl() noexcept = default;
  explicit TPidl(PItemIDList list) noexcept : fList(list) {}
  TPidl(TPidl&& other) noexcept : fList(other.Release()) {}
  TPidl& operator=(TPidl&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  TPidl(const TPidl&) = delete;
  TPidl& operator=(const TPidl&) = delete;
  ~TPidl() { Reset(); }

  PItemIDList Get() const noexcept { return fList; }
  explicit operator bool() const noexcept { return fList != nullptr; }
  // Gives the list up to the caller, who frees it from now on.
  PItemIDList Release() noexcept { return std::exchange(fList, nullptr); }
  void Reset(PItemIDList list = nullptr) noexcept {
    if (fList != nullptr && fList != list) CoTaskMemFree(fList);
    fList = list;
  }
  // For out-parameters of platform calls: frees what is held, answers the slot.
  PItemIDList* Put() noexcept {
    Reset();
    return &fList;
  }

private:
  PItemIDList fList = nullptr;
};

}  // namespace ts
