#pragma once
// A list of interface references with its own lock: each operation runs under
// the lock, so that several threads may use one list. Entries are counted
// references (AddRef when added, Release when removed).
#include <windows.h>
#include <unknwn.h>

#include <deque>

#include "toolkit/Object.h"

namespace ts {

class TInterfaceList : public TObject {
  TS_CLASS(TInterfaceList, TObject)

public:
  TInterfaceList();
  ~TInterfaceList() override;

  int Count() const;
  // A new reference to the entry (the caller releases it); null out of range.
  IUnknown* Get(int index) const;
  void Put(int index, IUnknown* item);
  int Add(IUnknown* item);
  void Insert(int index, IUnknown* item);
  void Delete(int index);
  int Remove(IUnknown* item);
  int IndexOf(IUnknown* item) const;
  void Exchange(int index1, int index2);
  void Clear();
  // Removes and answers the first or last entry (its reference passes to the
  // caller); null when the list is empty.
  IUnknown* ExtractFirst();
  IUnknown* ExtractLast();

  // Holds the lock across several operations; re-entrant on one thread.
  void Lock() const;
  void Unlock() const;

private:
  void CheckIndex(int index) const;
  mutable CRITICAL_SECTION fLock;
  // A deque, so that a work queue can take from either end in constant time.
  std::deque<IUnknown*> fItems;
};

// Holds a list's lock for a scope.
class TInterfaceListLock {
public:
  explicit TInterfaceListLock(const TInterfaceList& list) : fList(list) { fList.Lock(); }
  ~TInterfaceListLock() { fList.Unlock(); }
  TInterfaceListLock(const TInterfaceListLock&) = delete;
  TInterfaceListLock& operator=(const TInterfaceListLock&) = delete;
private:
  const TInterfaceList& fList;
};

}  // namespace ts
