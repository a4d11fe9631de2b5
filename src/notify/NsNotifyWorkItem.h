#pragma once
// Carries a change's paths to the notifier's owner: through the worker pool,
// whose worker has the main thread make the call and waits for it.
#include <cstdint>
#include <functional>
#include <string>

#include "notify/NotificationEvent.h"
#include "toolkit/ComPtr.h"
#include "work/WorkItem.h"

namespace ts {

class TNsShellChangeNotifier;

using TNsShellNotifierEvent =
    std::function<void(TObject* Sender, TNotificationEvent Event, const std::wstring& path1, const std::wstring& path2)>;

class TNsNotifyWorkItem : public TBasicWorkItem {
  TS_CLASS(TNsNotifyWorkItem, TBasicWorkItem)

public:
  // A job that carries one of a notifier's changes. The notifier keeps its
  // changes in the order the shell reported them, and whichever carrier
  // reaches the main thread first delivers every change up to its own, so
  // that the owner sees them in that order however many workers carry them.
  // Its group tag is the notifier, which cancels its carriers when it goes.
  // The notifier queues it.
  static TComPtr<TNsNotifyWorkItem> CreateFor(TNsShellChangeNotifier* aNotifier, uint64_t aSequence,
                                              TObject* aSender, TNotificationEvent aevent,
                                              const std::wstring& apath1, const std::wstring& apath2,
                                              TNsShellNotifierEvent aOnChange);

  void PerformWork() override;

  TObject* Sender;
  TNotificationEvent event;
  std::wstring path1;
  std::wstring path2;
  TNsShellNotifierEvent OnChange;

  uint64_t GetSequence() const noexcept { return fSequence; }
  // On the main thread: calls OnChange unless the job was terminated.
  void Fire();

private:
  TNsNotifyWorkItem(TObject* aSender, TNotificationEvent aevent, std::wstring apath1, std::wstring apath2,
                    TNsShellNotifierEvent aOnChange);
  // On the main thread; a cancelled call reaches nobody.
  void Deliver();

  TNsShellChangeNotifier* fNotifier = nullptr;
  uint64_t fSequence = 0;
};

}  // namespace ts
