#include "shell/ItemIdList.h"

#include <cstring>

namespace ts {

namespace {

// Records need not be aligned: read their counts byte-wise.
int RecordSize(const BYTE* record) {
  USHORT cb;
  std::memcpy(&cb, record, sizeof cb);
  // A count below 2 cannot advance: treat it as the terminator of a damaged list.
  return cb < 2 ? 0 : cb;
}

const BYTE* Bytes(PCItemIDList list) { return reinterpret_cast<const BYTE*>(list); }

}  // namespace

PItemIDList AllocItemIdList(int cb) {
  if (cb <= 0) return nullptr;
  void* block = CoTaskMemAlloc(static_cast<SIZE_T>(cb));
  if (block != nullptr) std::memset(block, 0, static_cast<size_t>(cb));
  return static_cast<PItemIDList>(block);
}

int GetItemIdListSize(PCItemIDList list) {
  if (list == nullptr) return 0;
  int size = 2;
  for (const BYTE* p = Bytes(list); int cb = RecordSize(p); p += cb) size += cb;
  return size;
}

int GetItemIdCount(PCItemIDList list) {
  if (list == nullptr) return 0;
  int count = 0;
  for (const BYTE* p = Bytes(list); int cb = RecordSize(p); p += cb) ++count;
  return count;
}

PItemIDList CopyItemIdList(PCItemIDList list) {
  if (list == nullptr) return nullptr;
  int size = GetItemIdListSize(list);
  PItemIDList copy = AllocItemIdList(size);
  if (copy == nullptr) return nullptr;
  // Copy the records only; the zero-filled block already ends in a terminator.
  std::memcpy(copy, list, static_cast<size_t>(size - 2));
  return copy;
}

PItemIDList ConcatItemIdLists(PCItemIDList first, PCItemIDList second) {
  if (first == nullptr && second == nullptr) return nullptr;
  int size1 = GetItemIdListSize(first);
  int size2 = GetItemIdListSize(second);
  int size = size1 + size2 - ((first != nullptr && second != nullptr) ? 2 : 0);
  PItemIDList result = AllocItemIdList(size);
  if (result == nullptr) return nullptr;
  BYTE* out = reinterpret_cast<BYTE*>(result);
  if (first != nullptr) {
    std::memcpy(out, first, static_cast<size_t>(size1 - 2));
    out += size1 - 2;
  }
  if (second != nullptr) std::memcpy(out, second, static_cast<size_t>(size2 - 2));
  return result;
}

PItemIDList GetItemIdAt(PCItemIDList list, int index) {
  if (list == nullptr || index < 0) return nullptr;
  const BYTE* p = Bytes(list);
  for (int passed = 0;; ++passed) {
    int cb = RecordSize(p);
    if (passed == index) {
      PItemIDList item = AllocItemIdList(cb + 2);
      if (item != nullptr && cb > 0) std::memcpy(item, p, static_cast<size_t>(cb));
      return item;
    }
    if (cb == 0) return nullptr;
    p += cb;
  }
}

PItemIDList GetLastItemId(PCItemIDList list) {
  int count = GetItemIdCount(list);
  return count == 0 ? nullptr : GetItemIdAt(list, count - 1);
}

PItemIDList TruncateItemIdList(PCItemIDList list, int count) {
  if (list == nullptr || count < 0) return nullptr;
  PItemIDList copy = CopyItemIdList(list);
  if (copy == nullptr) return nullptr;
  BYTE* p = reinterpret_cast<BYTE*>(copy);
  for (int i = 0; i < count; ++i) {
    int cb = RecordSize(p);
    if (cb == 0) return copy;
    p += cb;
  }
  p[0] = 0;
  p[1] = 0;
  return copy;
}

}  // namespace ts
