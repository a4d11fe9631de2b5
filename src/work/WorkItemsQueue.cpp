#include "work/WorkItemsQueue.h"

namespace ts {

namespace {

void Increment(std::unordered_map<TWorkTag, int>& counts, TWorkTag tag) {
  if (tag != 0) ++counts[tag];
}

void Decrement(std::unordered_map<TWorkTag, int>& counts, TWorkTag tag) {
  if (tag == 0) return;
  auto it = counts.find(tag);
  if (it != counts.end() && --it->second <= 0) counts.erase(it);
}

}  // namespace

bool WorkItemMatches(IWorkItem* item, TWorkTag tag, TWorkTag groupTag, TClass cls) {
  if (item == nullptr) return false;
  if (tag != 0 && item->GetTag() != tag) return false;
  if (groupTag != 0 && item->GetGroupTag() != groupTag) return false;
  if (cls != nullptr && !item->ClassType()->InheritsFrom(cls)) return false;
  return true;
}

TWorkItemsQueue::~TWorkItemsQueue() { ExtractAll(); }

// Entries are stored as their IWorkItem pointer, so the cast back is exact.
TComPtr<IWorkItem> TWorkItemsQueue::Adopt(IUnknown* entry) {
  return TComPtr<IWorkItem>::Attach(static_cast<IWorkItem*>(entry));
}

void TWorkItemsQueue::Counted(IWorkItem* item) {
  Increment(fTagCounts, item->GetTag());
  Increment(fGroupTagCounts, item->GetGroupTag());
}

void TWorkItemsQueue::Uncounted(IWorkItem* item) {
  Decrement(fTagCounts, item->GetTag());
  Decrement(fGroupTagCounts, item->GetGroupTag());
}

bool TWorkItemsQueue::MayHold(TWorkTag tag, TWorkTag groupTag) const {
  if (tag != 0 && fTagCounts.find(tag) == fTagCounts.end()) return false;
  if (groupTag != 0 && fGroupTagCounts.find(groupTag) == fGroupTagCounts.end()) return false;
  return true;
}

void TWorkItemsQueue::Add(IWorkItem* item) {
  if (item == nullptr) return;
  TInterfaceListLock lock(fList);
  fList.Add(item);
  Counted(item);
}

std::vector<TComPtr<IWorkItem>> TWorkItemsQueue::ExtractAll() {
  std::vector<TComPtr<IWorkItem>> removed;
  TInterfaceListLock lock(fList);
  removed.reserve(static_cast<size_t>(fList.Count()));
  while (IUnknown* entry = fList.ExtractFirst()) removed.push_back(Adopt(entry));
  fTagCounts.clear();
  fGroupTagCounts.clear();
  return removed;
}

std::vector<TComPtr<IWorkItem>> TWorkItemsQueue::ExtractItemsWithTag(TWorkTag aTag, TWorkTag aGroupTag,
                                                                     TClass aClass) {
  std::vector<TComPtr<IWorkItem>> removed;
  TInterfaceListLock lock(fList);
  if (!MayHold(aTag, aGroupTag)) return removed;
  std::vector<IUnknown*> entries = fList.ExtractIf([&](IUnknown* entry) {
    return WorkItemMatches(static_cast<IWorkItem*>(entry), aTag, aGroupTag, aClass);
  });
  removed.reserve(entries.size());
  for (IUnknown* entry : entries) {
    removed.push_back(Adopt(entry));
    Uncounted(removed.back().Get());
  }
  return removed;
}

int TWorkItemsQueue::Clear() { return static_cast<int>(ExtractAll().size()); }

int TWorkItemsQueue::RemoveItemsWithTag(TWorkTag aTag, TWorkTag aGroupTag, TClass aClass) {
  return static_cast<int>(ExtractItemsWithTag(aTag, aGroupTag, aClass).size());
}

bool TWorkItemsQueue::ContainsWorkItem(TWorkTag pTag, TWorkTag pGroupTag, TClass pClass) const {
  TInterfaceListLock lock(fList);
  if (!MayHold(pTag, pGroupTag)) return false;
  for (int i = fList.Count() - 1; i >= 0; --i) {
    TComPtr<IWorkItem> item = Adopt(fList.Get(i));
    if (WorkItemMatches(item.Get(), pTag, pGroupTag, pClass)) return true;
  }
  return false;
}

TComPtr<IWorkItem> TWorkItemsQueue::Dequeued(IUnknown* entry) {
  TComPtr<IWorkItem> item = Adopt(entry);
  if (item) Uncounted(item.Get());
  return item;
}

TComPtr<IWorkItem> TWorkItemsQueue::DequeueFirst() {
  TInterfaceListLock lock(fList);
  return Dequeued(fList.ExtractFirst());
}

TComPtr<IWorkItem> TWorkItemsQueue::DequeueLast() {
  TInterfaceListLock lock(fList);
  return Dequeued(fList.ExtractLast());
}

}  // namespace ts
