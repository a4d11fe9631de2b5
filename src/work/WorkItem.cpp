#include "work/WorkItem.h"

namespace ts {

bool TBasicWorkItem::Terminated() {
  while (fPaused.load() && !fTerminated.load()) Sleep(100);
  return fTerminated.load();
}

void TBasicWorkItem::SetOnTerminate(TNotifyEvent value) {
  fOnTerminate = std::move(value);
  if (fOnTerminate)
    fOnWorkDone = [this] { fOnTerminate(this); };
  else
    fOnWorkDone = nullptr;
}

void* TBasicWorkItem::GetInterface(REFIID iid) noexcept {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IWorkItem)) return static_cast<IWorkItem*>(this);
  return nullptr;
}

}  // namespace ts
