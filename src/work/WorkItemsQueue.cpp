#include "work/WorkItemsQueue.h"

#include <vector>

namespace ts {

bool WorkItemMatches(IWorkItem* item, TWorkTag tag, TWorkTag groupTag, TClass cls) {
  if (item == nullptr) return false;
  if (tag != 0 && item->GetTag() != tag) return false;
  if (groupTag != 0 && item->GetGroupTag() != groupTag) return false;
  if (cls != nullptr && !item->ClassType()->InheritsFrom(cls)) return false;
  return true;
}

// Entries are stored as their IWorkItem pointer, so the cast back is exact.
TComPtr<IWorkItem> TWorkItemsQueue::Adopt(IUnknown* entry) {
  return TComPtr<IWorkItem>::Attach(static_cast<IWorkItem*>(entry));
}

void TWorkItemsQueue::Add(IWorkItem* item) { fList.Add(item); }

int TWorkItemsQueue::Clear() {
  TInterfaceListLock lock(fList);
  const int count = fList.Count();
  fList.Clear();
  return count;
}

int TWorkItemsQueue::RemoveItemsWithTag(TWorkTag aTag, TWorkTag aGroupTag, TClass aClass) {
  // Removed jobs are released after the lock, since a final release may run
  // arbitrary code.
  std::vector<TComPtr<IWorkItem>> removed;
  {
    TInterfaceListLock lock(fList);
    for (int i = fList.Count() - 1; i >= 0; --i) {
      TComPtr<IWorkItem> item = Adopt(fList.Get(i));
      if (WorkItemMatches(item.Get(), aTag, aGroupTag, aClass)) {
        removed.push_back(item);
        fList.Delete(i);
      }
    }
  }
  return static_cast<int>(removed.size());
}

bool TWorkItemsQueue::ContainsWorkItem(TWorkTag pTag, TWorkTag pGroupTag, TClass pClass) const {
  TInterfaceListLock lock(fList);
  for (int i = fList.Count() - 1; i >= 0; --i) {
    TComPtr<IWorkItem> item = Adopt(fList.Get(i));
    if (WorkItemMatches(item.Get(), pTag, pGroupTag, pClass)) return true;
  }
  return false;
}

TComPtr<IWorkItem> TWorkItemsQueue::DequeueFirst() { return Adopt(fList.ExtractFirst()); }

TComPtr<IWorkItem> TWorkItemsQueue::DequeueLast() { return Adopt(fList.ExtractLast()); }

}  // namespace ts
