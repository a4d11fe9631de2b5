#include "notify/NsNotifyWorkItem.h"

#include "notify/NsShellChangeNotifier.h"
#include "toolkit/Application.h"
#include "toolkit/Thread.h"

namespace ts {

TNsNotifyWorkItem::TNsNotifyWorkItem(TObject* aSender, TNotificationEvent aevent, std::wstring apath1,
                                     std::wstring apath2, TNsShellNotifierEvent aOnChange)
    : Sender(aSender), event(aevent), path1(std::move(apath1)), path2(std::move(apath2)), OnChange(std::move(aOnChange)) {}

TComPtr<TNsNotifyWorkItem> TNsNotifyWorkItem::CreateFor(TNsShellChangeNotifier* aNotifier, uint64_t aSequence,
                                                        TObject* aSender, TNotificationEvent aevent,
                                                        const std::wstring& apath1, const std::wstring& apath2,
                                                        TNsShellNotifierEvent aOnChange) {
  TComPtr<TNsNotifyWorkItem> item(new TNsNotifyWorkItem(aSender, aevent, apath1, apath2, std::move(aOnChange)));
  item->fNotifier = aNotifier;
  item->fSequence = aSequence;
  item->SetGroupTag(reinterpret_cast<TWorkTag>(aNotifier));
  return item;
}

void TNsNotifyWorkItem::PerformWork() {
  SynchronizeCall([this] { Deliver(); }, TThread::CurrentThread());
}

void TNsNotifyWorkItem::Deliver() {
  // Not terminated: the notifier still lives (it cancels its carriers when
  // it goes).
  if (!TerminatedFlag().load()) fNotifier->DeliverPendingChanges(fSequence);
}

void TNsNotifyWorkItem::Fire() {
  if (TerminatedFlag().load() || !OnChange) return;
  // The owner's handler must not end the worker that carried the call.
  try {
    OnChange(Sender, event, path1, path2);
  } catch (...) {
    Application->HandleException();
  }
}

}  // namespace ts
