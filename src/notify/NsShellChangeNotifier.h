#pragma once
// Asks the shell to report changes to a set of folders (and what is below
// them) and hands each change to its owner: at once with the shell's two
// identifier lists, and later on the main thread with the two paths.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "link/NsBaseComponent.h"
#include "notify/NotificationEvent.h"
#include "notify/NsNotifyWorkItem.h"
#include "notify/NsShellChangeNotifierList.h"
#include "shell/ItemIdList.h"
#include "toolkit/UtilityWindow.h"

namespace ts {

using TNsShellNotifierEventPIDL =
    std::function<void(TObject* Sender, TNotificationEvent Event, PCItemIDList pidl1, PCItemIDList pidl2)>;

// The message the shell's changes arrive with.
constexpr UINT NsShellChangeMessage = 2011;

class TNsShellChangeNotifier : public TNsBaseComponent {
  TS_CLASS(TNsShellChangeNotifier, TNsBaseComponent)

public:
  explicit TNsShellChangeNotifier(TComponent* AOwner);
  ~TNsShellChangeNotifier() override;

  TNsPathList* GetDirectories() const noexcept { return fDirectories.get(); }
  void SetEnabled(bool value) override;
  bool GetRecursive() const noexcept { return fRecursive; }
  void SetRecursive(bool value);
  TNotificationEvents GetEventFilter() const noexcept { return fEventFilter; }
  void SetEventFilter(TNotificationEvents value);
  bool GetNotificationEvent(TNotificationEvent Event) const { return fEventFilter.Contains(Event); }
  void SetNotificationEvent(TNotificationEvent Event, bool Include);
  // Watches this identifier list too (copied); null stops watching it.
  void SetPIDL(PCItemIDList value);
  // Stops, forgets every folder, starts again.
  void Clear();

  TNsShellNotifierEvent OnChange;
  TNsShellNotifierEventPIDL OnChangePIDL;

  // The window the changes arrive at; 0 at design time.
  HWND GetHandle() const noexcept { return fWindow ? fWindow->GetHandle() : nullptr; }
  // The clock duplicates are judged by, when it is to be other than the
  // system's.
  std::function<DWORD()> TickCountSource;
  DWORD GetPrevEvent() const noexcept { return PrevEvent; }
  DWORD GetPrevTicks() const noexcept { return PrevTicks; }
  ULONG GetPIDLNotifyHandle() const noexcept { return fPIDLNotifyHandle; }

  // Used by the folder list.
  ULONG RegisterPath(const std::wstring& path);
  ULONG RegisterList(PCItemIDList list);
  void Deregister(ULONG handle);

  // Used by the path events' carriers, on the main thread: passes on every
  // path event received up to the given one, in the order received.
  void DeliverPendingChanges(uint64_t upTo);

protected:
  void Loaded() override;
  virtual void DoChange(TObject* Sender, TNotificationEvent Event, const std::wstring& path1,
                        const std::wstring& path2);

private:
  void Start();
  void Stop();
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void ReceiveChange(WPARAM wParam, LPARAM lParam);
  DWORD CurrentTicks() const { return TickCountSource ? TickCountSource() : GetTickCount(); }

  std::unique_ptr<TUtilityWindow> fWindow;
  // Path events on their way to OnChange, oldest first; main thread only.
  std::deque<TComPtr<TNsNotifyWorkItem>> fPendingChanges;
  uint64_t fLastSequence = 0;
  // Cleared when the notifier goes, for a delivery the owner's handler ends
  // by destroying the notifier.
  std::shared_ptr<bool> fAlive = std::make_shared<bool>(true);
  std::unique_ptr<TNsShellChangeNotifierList> fDirectories;
  bool fRecursive = true;
  TNotificationEvents fEventFilter;
  TPidl prev_pidl_1;
  DWORD PrevEvent = 0;
  DWORD PrevTicks = 0;
  TPidl fItemIdList;
  ULONG fPIDLNotifyHandle = 0;
};

}  // namespace ts
