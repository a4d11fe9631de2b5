#pragma once
// The pointer list: an ordered list of untyped pointers that subclasses
// override to own what the pointers address (Notify is told of every entry
// that is added, extracted or deleted).
#include <functional>
#include <vector>

#include "toolkit/Object.h"

namespace ts {

enum TListNotification : uint8_t { lnAdded, lnExtracted, lnDeleted };

class TList : public TObject {
  TS_CLASS(TList, TObject)

public:
  TList() = default;
  ~TList() override;

  int GetCount() const noexcept { return static_cast<int>(fItems.size()); }
  void SetCount(int count);
  int GetCapacity() const noexcept { return static_cast<int>(fItems.capacity()); }
  void SetCapacity(int capacity);

  void* Get(int index) const;
  void Put(int index, void* item);
  void* operator[](int index) const { return Get(index); }

  int Add(void* item);
  void Insert(int index, void* item);
  void Delete(int index);
  int Remove(void* item);
  void* Extract(void* item);
  int IndexOf(void* item) const noexcept;
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  void* First() const;
  void* Last() const;
  virtual void Clear();
  void Pack();
  void Sort(const std::function<int(void*, void*)>& compare);

protected:
  virtual void Notify(void* item, TListNotification action);
  [[noreturn]] static void Error(int index);

private:
  void CheckIndex(int index) const;
  std::vector<void*> fItems;
};

}  // namespace ts
