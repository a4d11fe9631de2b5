#include "work/WorkItemsQueue.h"

namespace ts {

namespace {

TComPtr<IWorkItem> Adopt(IWorkItem* item) { return TComPtr<IWorkItem>::Attach(item); }

}  // namespace

bool WorkItemMatches(IWorkItem* item, TWorkTag tag, TWorkTag groupTag, TClass cls) {
  if (item == nullptr) return false;
  if (tag != 0 && item->GetTag() != tag) return false;
  if (groupTag != 0 && item->GetGroupTag() != groupTag) return false;
  if (cls != nullptr && !item->ClassType()->InheritsFrom(cls)) return false;
  return true;
}

TWorkItemsQueue::~TWorkItemsQueue() { ExtractAll(); }

TWorkItemsQueue::TEntry* TWorkItemsQueue::EntryAt(uint64_t sequence) {
  if (sequence < fFirstSequence || sequence - fFirstSequence >= fEntries.size()) return nullptr;
  TEntry& entry = fEntries[static_cast<size_t>(sequence - fFirstSequence)];
  return entry.Item != nullptr ? &entry : nullptr;
}

const TWorkItemsQueue::TEntry* TWorkItemsQueue::EntryAt(uint64_t sequence) const {
  return const_cast<TWorkItemsQueue*>(this)->EntryAt(sequence);
}

void TWorkItemsQueue::Add(IWorkItem* item) {
  if (item == nullptr) return;
  const TEntry entry{item, item->GetTag(), item->GetGroupTag()};
  TCriticalSectionLock lock(fLock);
  const uint64_t sequence = fFirstSequence + fEntries.size();
  fEntries.push_back(entry);
  item->AddRef();
  ++fCount;
  for (auto [index, tag] : {std::pair{&fByTag, entry.Tag}, std::pair{&fByGroupTag, entry.GroupTag}}) {
    if (tag == 0) continue;
    TPositions& positions = (*index)[tag];
    // Numbers from here on belonged to jobs removed at the end of the queue
    // and are given out again: kept in increasing order, each once.
    while (!positions.Sequence.empty() && positions.Sequence.back() >= sequence) positions.Sequence.pop_back();
    positions.Sequence.push_back(sequence);
    ++positions.Live;
  }
}

void TWorkItemsQueue::Unindex(TIndex& index, TWorkTag tag) {
  if (tag == 0) return;
  auto it = index.find(tag);
  if (it == index.end()) return;
  TPositions& positions = it->second;
  if (--positions.Live <= 0) {
    index.erase(it);
    return;
  }
  // Numbers beyond either end of the queue are gone for good.
  const uint64_t end = fFirstSequence + fEntries.size();
  while (!positions.Sequence.empty() && positions.Sequence.front() < fFirstSequence) positions.Sequence.pop_front();
  while (!positions.Sequence.empty() && positions.Sequence.back() >= end) positions.Sequence.pop_back();
}

void TWorkItemsQueue::DropGaps() {
  while (!fEntries.empty() && fEntries.front().Item == nullptr) {
    fEntries.pop_front();
    ++fFirstSequence;
  }
  while (!fEntries.empty() && fEntries.back().Item == nullptr) fEntries.pop_back();
}

IWorkItem* TWorkItemsQueue::RemoveAt(uint64_t sequence) {
  TEntry* entry = EntryAt(sequence);
  if (entry == nullptr) return nullptr;
  IWorkItem* item = entry->Item;
  entry->Item = nullptr;
  --fCount;
  Unindex(fByTag, entry->Tag);
  Unindex(fByGroupTag, entry->GroupTag);
  return item;
}

IWorkItem* TWorkItemsQueue::TakeEnd(bool first) {
  TCriticalSectionLock lock(fLock);
  DropGaps();
  if (fEntries.empty()) return nullptr;
  const TEntry entry = first ? fEntries.front() : fEntries.back();
  if (first) {
    fEntries.pop_front();
    ++fFirstSequence;
  } else {
    fEntries.pop_back();
  }
  --fCount;
  Unindex(fByTag, entry.Tag);
  Unindex(fByGroupTag, entry.GroupTag);
  DropGaps();
  return entry.Item;
}

TComPtr<IWorkItem> TWorkItemsQueue::DequeueFirst() { return Adopt(TakeEnd(true)); }

TComPtr<IWorkItem> TWorkItemsQueue::DequeueLast() { return Adopt(TakeEnd(false)); }

int TWorkItemsQueue::Count() const {
  TCriticalSectionLock lock(fLock);
  return fCount;
}

std::vector<uint64_t> TWorkItemsQueue::Matching(TWorkTag tag, TWorkTag groupTag, TClass cls, bool firstOnly) const {
  std::vector<uint64_t> found;
  auto consider = [&](uint64_t sequence) {
    const TEntry* entry = EntryAt(sequence);
    if (entry == nullptr) return false;
    if ((tag != 0 && entry->Tag != tag) || (groupTag != 0 && entry->GroupTag != groupTag)) return false;
    if (cls != nullptr && !entry->Item->ClassType()->InheritsFrom(cls)) return false;
    found.push_back(sequence);
    return firstOnly;
  };
  // The narrower index when there is one; a class alone means every job.
  const TIndex* index = tag != 0 ? &fByTag : (groupTag != 0 ? &fByGroupTag : nullptr);
  if (index != nullptr) {
    auto it = index->find(tag != 0 ? tag : groupTag);
    if (it == index->end()) return found;
    for (uint64_t sequence : it->second.Sequence)
      if (consider(sequence)) break;
  } else {
    for (uint64_t sequence = fFirstSequence; sequence < fFirstSequence + fEntries.size(); ++sequence)
      if (consider(sequence)) break;
  }
  return found;
}

std::vector<TComPtr<IWorkItem>> TWorkItemsQueue::ExtractItemsWithTag(TWorkTag aTag, TWorkTag aGroupTag,
                                                                     TClass aClass) {
  std::vector<TComPtr<IWorkItem>> removed;
  TCriticalSectionLock lock(fLock);
  const std::vector<uint64_t> matching = Matching(aTag, aGroupTag, aClass, false);
  removed.reserve(matching.size());
  for (uint64_t sequence : matching) removed.push_back(Adopt(RemoveAt(sequence)));
  DropGaps();
  return removed;
}

std::vector<TComPtr<IWorkItem>> TWorkItemsQueue::ExtractAll() {
  std::vector<TComPtr<IWorkItem>> removed;
  TCriticalSectionLock lock(fLock);
  removed.reserve(static_cast<size_t>(fCount));
  for (const TEntry& entry : fEntries)
    if (entry.Item != nullptr) removed.push_back(Adopt(entry.Item));
  fFirstSequence += fEntries.size();
  fEntries.clear();
  fCount = 0;
  fByTag.clear();
  fByGroupTag.clear();
  return removed;
}

int TWorkItemsQueue::Clear() { return static_cast<int>(ExtractAll().size()); }

int TWorkItemsQueue::RemoveItemsWithTag(TWorkTag aTag, TWorkTag aGroupTag, TClass aClass) {
  return static_cast<int>(ExtractItemsWithTag(aTag, aGroupTag, aClass).size());
}

bool TWorkItemsQueue::ContainsWorkItem(TWorkTag pTag, TWorkTag pGroupTag, TClass pClass) const {
  TCriticalSectionLock lock(fLock);
  return !Matching(pTag, pGroupTag, pClass, true).empty();
}

}  // namespace ts
