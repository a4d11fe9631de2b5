#pragma once
// The jobs waiting for a worker, in arrival order, under a lock of the
// queue's own; a dequeue takes and removes under one lock.
//
// Owners cancel their jobs by the thousand: a control that refills cancels
// its group, then each of its items its own tag, often while their jobs are
// still queued. So the queue finds a tag's or a group tag's jobs through an
// index instead of walking the whole queue, and a removed job leaves a gap
// that is dropped when an end of the queue reaches it: a cancel costs in
// proportion to the jobs it matches, not to the length of the queue.
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

#include "toolkit/ComPtr.h"
#include "toolkit/CriticalSection.h"
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

  // Takes a reference. A job's tags must not change while it is queued.
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
  int Count() const;

private:
  // A queued job with its tags as they were when it came; Item is null once
  // the job has been removed from the middle of the queue.
  struct TEntry {
    IWorkItem* Item;
    TWorkTag Tag;
    TWorkTag GroupTag;
  };
  // Where one tag's jobs are: their sequence numbers in arrival order
  // (some may be gone already) and how many are still there.
  struct TPositions {
    std::deque<uint64_t> Sequence;
    int Live = 0;
  };
  using TIndex = std::unordered_map<TWorkTag, TPositions>;

  // All under fLock.
  TEntry* EntryAt(uint64_t sequence);
  const TEntry* EntryAt(uint64_t sequence) const;
  // The sequence numbers of the live jobs that match, in queue order.
  std::vector<uint64_t> Matching(TWorkTag tag, TWorkTag groupTag, TClass cls, bool firstOnly) const;
  // Takes the job out of the middle of the queue; the caller gets its reference.
  IWorkItem* RemoveAt(uint64_t sequence);
  IWorkItem* TakeEnd(bool first);
  void Unindex(TIndex& index, TWorkTag tag);
  void DropGaps();

  mutable TCriticalSection fLock;
  std::deque<TEntry> fEntries;
  uint64_t fFirstSequence = 0;  // the sequence number of fEntries.front()
  int fCount = 0;
  TIndex fByTag;
  TIndex fByGroupTag;
};

}  // namespace ts
