#pragma once
// Carries a change's paths to the notifier's owner: through the worker pool,
// whose worker has the main thread make the call and waits for it.
#include <functional>
#include <string>

#include "notify/NotificationEvent.h"
#include "work/WorkItem.h"

namespace ts {

using TNsShellNotifierEvent =
    std::function<void(TObject* Sender, TNotificationEvent Event, const std::wstring& path1, const std::wstring& path2)>;

class TNsNotifyWorkItem : public TBasicWorkItem {
  TS_CLASS(TNsNotifyWorkItem, TBasicWorkItem)

public:
  // Makes the job and hands it to the global worker pool. Its group tag is
  // the sender, so that a notifier that goes can cancel its pending calls;
  // without a pool the call is made at once.
  static void Queue(TObject* aSender, TNotificationEvent aevent, const std::wstring& apath1,
                    const std::wstring& apath2, TNsShellNotifierEvent aOnChange);

  void PerformWork() override;

  TObject* Sender;
  TNotificationEvent event;
  std::wstring path1;
  std::wstring path2;
  TNsShellNotifierEvent OnChange;

private:
  TNsNotifyWorkItem(TObject* aSender, TNotificationEvent aevent, std::wstring apath1, std::wstring apath2,
                    TNsShellNotifierEvent aOnChange);
  // On the main thread; a cancelled call reaches nobody.
  void Deliver();
};

}  // namespace ts
