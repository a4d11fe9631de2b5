#pragma once
// The folders a notifier watches, in the order added (the same folder may be
// there twice), each with its registration with the shell in its object slot.
#include <windows.h>

#include "shell/NsPathList.h"

namespace ts {

class TNsShellChangeNotifier;

class TNsShellChangeNotifierList : public TNsPathList {
  TS_CLASS(TNsShellChangeNotifierList, TNsPathList)

public:
  explicit TNsShellChangeNotifierList(TNsShellChangeNotifier* aOwner);
  ~TNsShellChangeNotifierList() override;

  // Registers every entry that has no registration yet.
  void Start();
  void Stop();
  void Restart();
  // Started: the owner's stop, clear and start; otherwise the plain clear.
  void Clear() override;
  // Drops the implicit computer-folder entry (the empty path at the front)
  // once the list has more than AllowedEntries entries.
  void CheckAndExcludeMyComputer(int AllowedEntries);

  bool GetStarted() const noexcept { return fStarted; }
  ULONG Registration(int index) const;
  // The plain clear of the list.
  void ClearEntries() { TNsPathList::Clear(); }

private:
  void RegisterEntry(int index);
  void DeregisterEntry(int index);

  bool fStarted = false;
  TNsShellChangeNotifier* fOwner;
};

}  // namespace ts
