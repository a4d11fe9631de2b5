#include "toolkit/List.h"

#include <algorithm>

#include "toolkit/Exception.h"

namespace ts {

TList::~TList() {
  // Subclass overrides of Notify are gone by now; they clear in their own
  // destructors when they own the entries.
  fItems.clear();
}

void TList::Error(int index) {
  throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
}

void TList::CheckIndex(int index) const {
  if (index < 0 || index >= GetCount()) Error(index);
}

void TList::SetCount(int count) {
  if (count < 0) throw EListError(L"List count out of bounds (" + std::to_wstring(count) + L")");
  while (GetCount() > count) Delete(GetCount() - 1);
  fItems.resize(static_cast<size_t>(count), nullptr);
}

void TList::SetCapacity(int capacity) {
  if (capacity < GetCount())
    throw EListError(L"List capacity out of bounds (" + std::to_wstring(capacity) + L")");
  fItems.reserve(static_cast<size_t>(capacity));
}

void* TList::Get(int index) const {
  CheckIndex(index);
  return fItems[static_cast<size_t>(index)];
}

void TList::Put(int index, void* item) {
  CheckIndex(index);
  void* old = fItems[static_cast<size_t>(index)];
  if (old == item) return;
  fItems[static_cast<size_t>(index)] = item;
  if (old != nullptr) Notify(old, lnDeleted);
  if (item != nullptr) Notify(item, lnAdded);
}

int TList::Add(void* item) {
  fItems.push_back(item);
  if (item != nullptr) Notify(item, lnAdded);
  return GetCount() - 1;
}

void TList::Insert(int index, void* item) {
  if (index < 0 || index > GetCount()) Error(index);
  fItems.insert(fItems.begin() + index, item);
  if (item != nullptr) Notify(item, lnAdded);
}

void TList::Delete(int index) {
  CheckIndex(index);
  void* item = fItems[static_cast<size_t>(index)];
  fItems.erase(fItems.begin() + index);
  if (item != nullptr) Notify(item, lnDeleted);
}

int TList::Remove(void* item) {
  int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* item) {
  int index = IndexOf(item);
  if (index < 0) return nullptr;
  fItems.erase(fItems.begin() + index);
  Notify(item, lnExtracted);
  return item;
}

int TList::IndexOf(void* item) const noexcept {
  auto it = std::find(fItems.begin(), fItems.end(), item);
  return it == fItems.end() ? -1 : static_cast<int>(it - fItems.begin());
}

void TList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(fItems[static_cast<size_t>(index1)], fItems[static_cast<size_t>(index2)]);
}

void TList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  void* item = fItems[static_cast<size_t>(curIndex)];
  fItems.erase(fItems.begin() + curIndex);
  fItems.insert(fItems.begin() + newIndex, item);
}

void* TList::First() const { return Get(0); }

void* TList::Last() const { return Get(GetCount() - 1); }

void TList::Clear() {
  while (!fItems.empty()) Delete(GetCount() - 1);
  fItems.shrink_to_fit();
}

void TList::Pack() { fItems.erase(std::remove(fItems.begin(), fItems.end(), nullptr), fItems.end()); }

void TList::Sort(const std::function<int(void*, void*)>& compare) {
  std::stable_sort(fItems.begin(), fItems.end(), [&](void* a, void* b) { return compare(a, b) < 0; });
}

void TList::Notify(void*, TListNotification) {}

}  // namespace ts
