#include "link/NsShellLink.h"

#include <utility>

#include "link/NsSelectionList.h"
#include "toolkit/ComPtr.h"

namespace ts {

namespace {

constexpr wchar_t kVersionSuffix[] = L" V7.1.0.530";

IUnknown* Identity(INsShellControl* control) { return static_cast<IUnknown*>(control); }

}  // namespace

TNsShellLink::TNsShellLink(TComponent* AOwner) : TNsBaseComponent(AOwner) {
  SetEnabled(true);
  fSelectionList = new TNsSelectionList(this);
}

TNsShellLink::~TNsShellLink() {
  for (int i = fNsShellControlList.Count() - 1; i >= 0; --i) {
    TComPtr<IUnknown> entry = TComPtr<IUnknown>::Attach(fNsShellControlList.Get(i));
    if (entry) static_cast<INsShellControl*>(entry.Get())->SetShellLink(nullptr);
  }
  fNsShellControlList.Clear();
  SetSelectionList(nullptr);
}

void TNsShellLink::SetSelectionList(TNsSelectionList* value) {
  if (value == fSelectionList) return;
  delete std::exchange(fSelectionList, nullptr);
  fSelectionList = value;
  if (value == nullptr) return;
  InsertComponent(value);
  value->SetParent(this);
}

void TNsShellLink::Notification(TComponent* component, TOperation operation) {
  TNsBaseComponent::Notification(component, operation);
  if (operation == opRemove && component == fSelectionList) fSelectionList = nullptr;
}

std::wstring TNsShellLink::GetVersion() const { return ClassName() + kVersionSuffix; }

void TNsShellLink::RegisterShellControl(INsShellControl* ShellControl) {
  if (ShellControl == nullptr) return;
  TInterfaceListLock lock(fNsShellControlList);
  if (fNsShellControlList.IndexOf(Identity(ShellControl)) < 0) fNsShellControlList.Add(Identity(ShellControl));
}

void TNsShellLink::UnregisterShellControl(INsShellControl* ShellControl) {
  if (ShellControl != nullptr) fNsShellControlList.Remove(Identity(ShellControl));
}

template <typename Call>
void TNsShellLink::Broadcast(INsShellControl* Sender, Call call) {
  const int count = fNsShellControlList.Count();
  for (int i = 0; i < count; ++i) {
    TComPtr<IUnknown> entry = TComPtr<IUnknown>::Attach(fNsShellControlList.Get(i));
    if (!entry || entry.Get() == Identity(Sender)) continue;
    call(static_cast<INsShellControl*>(entry.Get()));
  }
}

template <typename Call>
void TNsShellLink::GuardedBroadcast(INsShellControl* Sender, Call call) {
  if (!GetEnabled()) return;
  SetEnabled(false);
  try {
    Broadcast(Sender, call);
  } catch (...) {
    SetEnabled(true);
    throw;
  }
  SetEnabled(true);
  if (OnChange) OnChange(this);
}

void TNsShellLink::PathChanged(INsShellControl* Sender, PCItemIDList PIDL) {
  GuardedBroadcast(Sender, [PIDL](INsShellControl* control) { control->PathChanged(PIDL); });
}

void TNsShellLink::FileChanged(INsShellControl* Sender, PCItemIDList FolderPIDL, PCItemIDList FilePIDL) {
  GuardedBroadcast(Sender,
                   [FolderPIDL, FilePIDL](INsShellControl* control) { control->FileChanged(FolderPIDL, FilePIDL); });
}

void TNsShellLink::SelectAll(INsShellControl* Sender) {
  if (GetEnabled()) Broadcast(Sender, [](INsShellControl* control) { control->SelectAll(); });
}

void TNsShellLink::Refresh(INsShellControl* Sender) {
  if (GetEnabled()) Broadcast(Sender, [](INsShellControl* control) { control->FullRefresh(); });
}

void TNsShellLink::SmartRefresh(INsShellControl* Sender) {
  if (GetEnabled()) Broadcast(Sender, [](INsShellControl* control) { control->SmartRefresh(); });
}

void TNsShellLink::GoUp(INsShellControl* Sender) {
  if (!GetEnabled()) return;
  const int count = fNsShellControlList.Count();
  for (int i = 0; i < count; ++i) {
    TComPtr<IUnknown> entry = TComPtr<IUnknown>::Attach(fNsShellControlList.Get(i));
    if (!entry || entry.Get() == Identity(Sender)) continue;
    if (static_cast<INsShellControl*>(entry.Get())->GoUp()) return;
  }
  if (Sender != nullptr) Sender->GoUp();
}

void AssignShellLink(TNsShellLink*& field, TNsShellLink* value, INsShellControl* control) {
  if (field == value) return;
  if (field != nullptr) field->UnregisterShellControl(control);
  field = value;
  if (field != nullptr) field->RegisterShellControl(control);
}

}  // namespace ts
