#include "notify/NsNotifyWorkItem.h"

#include "toolkit/Application.h"
#include "toolkit/ComPtr.h"
#include "toolkit/Thread.h"
#include "work/GlobalWorkerPool.h"

namespace ts {

TNsNotifyWorkItem::TNsNotifyWorkItem(TObject* aSender, TNotificationEvent aevent, std::wstring apath1,
                                     std::wstring apath2, TNsShellNotifierEvent aOnChange)
    : Sender(aSender), event(aevent), path1(std::move(apath1)), path2(std::move(apath2)), OnChange(std::move(aOnChange)) {
  SetGroupTag(reinterpret_cast<TWorkTag>(aSender));
}

void TNsNotifyWorkItem::Queue(TObject* aSender, TNotificationEvent aevent, const std::wstring& apath1,
                              const std::wstring& apath2, TNsShellNotifierEvent aOnChange) {
  TComPtr<TNsNotifyWorkItem> item(new TNsNotifyWorkItem(aSender, aevent, apath1, apath2, std::move(aOnChange)));
  if (TWorkerThreadPool* pool = GlobalWorkerPool())
    pool->AddWorkItem(item.Get());
  else
    item->Deliver();
}

void TNsNotifyWorkItem::PerformWork() {
  SynchronizeCall([this] { Deliver(); }, TThread::CurrentThread());
}

void TNsNotifyWorkItem::Deliver() {
  if (TerminatedFlag().load() || !OnChange) return;
  // The owner's handler must not end the worker that carried the call.
  try {
    OnChange(Sender, event, path1, path2);
  } catch (...) {
    Application->HandleException();
  }
}

}  // namespace ts
