#pragma once
// The jobs waiting for a worker, in arrival order. Every operation takes the
// list's own lock; a dequeue takes and removes under one lock.
//
// Owners cancel their jobs by the thousand (every item of a control that
// refills), mostly when none of theirs is queued any more: the queue counts
// its jobs per tag and per group tag, so that such a cancel costs nothing,
// and removes what matches in one pass over the queue.
#include <unordered_map>
#include <vector>

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
  ~TWorkItemsQueue() override;

  // A job's tags must not change while it is queued.
  void Add(IWorkItem* item);
  // Both answer the number of jobs removed; the jobs are released after the
  // queue's lock.
  int Clear();
  int RemoveItemsWithTag(TWorkTag aTag, TWorkTag aGroupTag, TClass aClass);
  // The same, handing the removed jobs (in queue order) to the caller, who
  // decides when they are released.
  std::vector<TComPtr<IWorkItem>> ExtractAll();
  std::vector<TComPtr<IWorkItem>> ExtractItemsWithTag(TWorkTag aTag, TWorkTag aGroupTag, TClass aClass);
  bool ContainsWorkItem(TWorkTag pTag, TWorkTag pGroupTag, TClass pClass) const;
  TComPtr<IWorkItem> DequeueFirst();
  TComPtr<IWorkItem> DequeueLast();
  int Count() const { return fList.Count(); }

  // Holds the queue's lock across several operations (re-entrant).
  void Lock() const { fList.Lock(); }
  void Unlock() const { fList.Unlock(); }

private:
  using TTagCounts = std::unordered_map<TWorkTag, int>;
  static TComPtr<IWorkItem> Adopt(IUnknown* entry);
  // Under the list's lock.
  void Counted(IWorkItem* item);
  void Uncounted(IWorkItem* item);
  bool MayHold(TWorkTag tag, TWorkTag groupTag) const;
  TComPtr<IWorkItem> Dequeued(IUnknown* entry);

  TInterfaceList fList;
  TTagCounts fTagCounts;
  TTagCounts fGroupTagCounts;
};

}  // namespace ts
