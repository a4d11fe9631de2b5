#pragma once
// The jobs waiting for a worker, in arrival order. Every operation takes the
// list's own lock; a dequeue takes and removes under one lock.
#include "toolkit/ComPtr.h"
#include "toolkit/InterfaceList.h"
#include "work/WorkItem.h"

namespace ts {

// Whether a job matches a filter (0 or null: any). Classes match by
// derivation.
bool WorkItemMatches(IWorkItem* item, TWorkTag tag, TWorkTag groupTag, TClass cls);

class TWorkItemsQueue : public TObject {
  TS_CLASS(TWorkItemsQueue, TObject)

public:
  TWorkItemsQueue() = default;
  ~TWorkItemsQueue() override = default;

  void Add(IWorkItem* item);
  // Both answer the number of jobs removed.
  int Clear();
  int RemoveItemsWithTag(TWorkTag aTag, TWorkTag aGroupTag, TClass aClass);
  bool ContainsWorkItem(TWorkTag pTag, TWorkTag pGroupTag, TClass pClass) const;
  TComPtr<IWorkItem> DequeueFirst();
  TComPtr<IWorkItem> DequeueLast();
  int Count() const { return fList.Count(); }

private:
  static TComPtr<IWorkItem> Adopt(IUnknown* entry);
  TInterfaceList fList;
};

}  // namespace ts
