#pragma once
// The back and forward history of the folders a view has shown: absolute
// identifier lists, all owned by the history, and the current position.
//
// The history owns its entries through the list's notification, so every
// way an entry leaves (Delete, Remove, Put, SetCount, Clear, destruction),
// also through a plain TList reference, frees it. Extract is the one way to
// take an entry out alive: the caller then owns it.
#include "shell/ItemIdList.h"
#include "toolkit/List.h"

namespace ts {

class TPidlHistory : public TList {
  TS_CLASS(TPidlHistory, TList)

public:
  TPidlHistory() = default;
  ~TPidlHistory() override;

  // Takes ownership of pidl: stored after the current entry (the entries
  // beyond it go), or released when it names the current entry's item.
  virtual void Add(PItemIDList pidl);
  // Frees the entry's list and removes it.
  virtual void Delete(int Index);
  // Frees every entry; the position goes back to the start.
  void Clear() override;
  virtual void MoveForward(int Delta);
  virtual void MoveBack(int Delta);

  int GetPosition() const noexcept { return fPosition; }
  void SetPosition(int value) noexcept { fPosition = value; }
  // Lent: the history keeps it. Raises the list's index error when empty.
  PCItemIDList GetCurrentItemIDList() const;

protected:
  void Notify(void* item, TListNotification action) override;

private:
  int fPosition = 0;
};

}  // namespace ts
