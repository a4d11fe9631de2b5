#include "notify/NsShellChangeNotifierList.h"

#include "notify/NsShellChangeNotifier.h"
#include "shell/ShellFunctions.h"

namespace ts {

namespace {

void* HandleToObject(ULONG handle) { return reinterpret_cast<void*>(static_cast<uintptr_t>(handle)); }

}  // namespace

TNsShellChangeNotifierList::TNsShellChangeNotifierList(TNsShellChangeNotifier* aOwner)
    : TNsPathList(TNoSetup{}), fOwner(aOwner) {
  OnAdd = [this](const std::wstring&, int index) {
    RegisterEntry(index);
    CheckAndExcludeMyComputer(1);
  };
  OnRemove = [this](const std::wstring&, int index) { DeregisterEntry(index); };
}

TNsShellChangeNotifierList::~TNsShellChangeNotifierList() {
  Stop();
  // Entries registered while the list was stopped go too.
  for (int i = 0; i < GetCount(); ++i) DeregisterEntry(i);
  OnAdd = nullptr;
  OnRemove = nullptr;
}

ULONG TNsShellChangeNotifierList::Registration(int index) const {
  return static_cast<ULONG>(reinterpret_cast<uintptr_t>(GetObject(index)));
}

void TNsShellChangeNotifierList::RegisterEntry(int index) {
  PutObject(index, HandleToObject(fOwner->RegisterPath(Get(index))));
  fStarted = true;
}

void TNsShellChangeNotifierList::DeregisterEntry(int index) {
  const ULONG handle = Registration(index);
  if (handle == 0) return;
  fOwner->Deregister(handle);
  PutObject(index, nullptr);
}

void TNsShellChangeNotifierList::Start() {
  BeginUpdate();
  try {
    for (int i = 0; i < GetCount(); ++i)
      if (Registration(i) == 0) PutObject(i, HandleToObject(fOwner->RegisterPath(Get(i))));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  fStarted = true;
}

void TNsShellChangeNotifierList::Stop() {
  if (!fStarted) return;
  fStarted = false;
  BeginUpdate();
  for (int i = 0; i < GetCount(); ++i) DeregisterEntry(i);
  EndUpdate();
}

void TNsShellChangeNotifierList::Restart() {
  if (!fStarted) return;
  Stop();
  Start();
}

void TNsShellChangeNotifierList::Clear() {
  if (fStarted)
    fOwner->Clear();
  else
    ClearEntries();
}

void TNsShellChangeNotifierList::CheckAndExcludeMyComputer(int AllowedEntries) {
  if (GetCount() <= AllowedEntries || !Get(0).empty()) return;
  BeginUpdate();
  try {
    Delete(0);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

}  // namespace ts
