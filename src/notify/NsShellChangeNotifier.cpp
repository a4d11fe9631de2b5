#include "notify/NsShellChangeNotifier.h"

#include <shlobj.h>

#include "shell/ItemIdListPaths.h"
#include "shell/SameItem.h"
#include "shell/ShellFunctions.h"
#include "shell/ShellGlobals.h"
#include "toolkit/Synchronize.h"
#include "work/GlobalWorkerPool.h"

namespace ts {

namespace {

// Posted to the notifier's own window when there is no worker pool to carry
// a path event: it is then passed on after the message that brought it.
constexpr UINT kDeliverPathEventsMessage = WM_APP + 0x7DB;

}  // namespace

TNsShellChangeNotifier::TNsShellChangeNotifier(TComponent* AOwner)
    : TNsBaseComponent(AOwner), fDirectories(std::make_unique<TNsShellChangeNotifierList>(this)),
      fEventFilter(DefaultNotificationEvents()) {
  if (!IsDesigning())
    fWindow = std::make_unique<TUtilityWindow>(
        [this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
          return HandleMessage(window, message, wParam, lParam);
        });
  TNsBaseComponent::SetEnabled(IsDesigning());
}

TNsShellChangeNotifier::~TNsShellChangeNotifier() {
  if (!IsDesigning()) SetEnabled(false);
  // Path events still on their way would reach an owner that is going: the
  // queued ones are removed, the running ones dropped at delivery.
  *fAlive = false;
  for (const TComPtr<TNsNotifyWorkItem>& item : fPendingChanges) item->Terminate();
  fPendingChanges.clear();
  if (TWorkerThreadPool* pool = GlobalWorkerPool()) pool->TerminateWorkItems(0, reinterpret_cast<TWorkTag>(this));
  if (IsMainThread()) CheckSynchronize();
  prev_pidl_1.Reset();
  fDirectories.reset();
  fWindow.reset();
  fItemIdList.Reset();
}

void TNsShellChangeNotifier::SetEnabled(bool value) {
  if (value == GetEnabled()) return;
  TNsBaseComponent::SetEnabled(value);
  if (value)
    Start();
  else
    Stop();
}

void TNsShellChangeNotifier::SetRecursive(bool value) {
  if (value == fRecursive) return;
  fRecursive = value;
  fDirectories->Restart();
}

void TNsShellChangeNotifier::SetEventFilter(TNotificationEvents value) {
  if (value == fEventFilter) return;
  Stop();
  fEventFilter = value;
  Start();
}

void TNsShellChangeNotifier::SetNotificationEvent(TNotificationEvent Event, bool Include) {
  TNotificationEvents filter = fEventFilter;
  if (Include)
    filter.Include(Event);
  else
    filter.Exclude(Event);
  SetEventFilter(filter);
}

void TNsShellChangeNotifier::SetPIDL(PCItemIDList value) {
  if (fPIDLNotifyHandle != 0) {
    Deregister(fPIDLNotifyHandle);
    fPIDLNotifyHandle = 0;
  }
  fDirectories->CheckAndExcludeMyComputer(0);
  fItemIdList.Reset(CopyItemIdList(value));
  if (value != nullptr) Start();
}

void TNsShellChangeNotifier::Clear() {
  Stop();
  fDirectories->ClearEntries();
  Start();
}

void TNsShellChangeNotifier::Loaded() {
  TNsBaseComponent::Loaded();
  Start();
}

void TNsShellChangeNotifier::Start() {
  if (ShellFunctions.SHChangeNotifyRegister == nullptr) {
    TNsBaseComponent::SetEnabled(false);
    return;
  }
  if (!GetEnabled() || IsDesigning() || IsLoading()) return;
  if (fDirectories->GetCount() > 0 || OnChangePIDL || fItemIdList) {
    fDirectories->Start();
  } else {
    // Nothing named: the whole computer, through an implicit entry.
    fRecursive = true;
    fDirectories->Add(L"");
  }
  if (fItemIdList && fPIDLNotifyHandle == 0) fPIDLNotifyHandle = RegisterList(fItemIdList.Get());
}

void TNsShellChangeNotifier::Stop() {
  if (fPIDLNotifyHandle != 0) {
    Deregister(fPIDLNotifyHandle);
    fPIDLNotifyHandle = 0;
  }
  fDirectories->Stop();
}

ULONG TNsShellChangeNotifier::RegisterPath(const std::wstring& path) {
  TPidl list(PathToItemIdList(DesktopFolder, path));
  return RegisterList(list.Get());
}

ULONG TNsShellChangeNotifier::RegisterList(PCItemIDList list) {
  HWND window = GetHandle();
  if (ShellFunctions.SHChangeNotifyRegister == nullptr || window == nullptr) return 0;
  SHChangeNotifyEntry entry{list, fRecursive ? TRUE : FALSE};
  const int sources = SHCNRF_InterruptLevel | SHCNRF_ShellLevel | (fRecursive ? SHCNRF_RecursiveInterrupt : 0);
  return ShellFunctions.SHChangeNotifyRegister(window, sources, static_cast<LONG>(ShellEventsOf(fEventFilter)),
                                               NsShellChangeMessage, 1, &entry);
}

void TNsShellChangeNotifier::Deregister(ULONG handle) {
  if (handle != 0 && ShellFunctions.SHChangeNotifyDeregister != nullptr) ShellFunctions.SHChangeNotifyDeregister(handle);
}

LRESULT TNsShellChangeNotifier::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Received before the notifier was disabled: passed on all the same, as the
  // pool's carriers do.
  if (message == kDeliverPathEventsMessage) {
    DeliverPendingChanges(UINT64_MAX);
    return 0;
  }
  if (!GetEnabled() || message != NsShellChangeMessage) return DefWindowProcW(window, message, wParam, lParam);
  ReceiveChange(wParam, lParam);
  return 0;
}

void TNsShellChangeNotifier::ReceiveChange(WPARAM wParam, LPARAM lParam) {
  const DWORD number = static_cast<DWORD>(lParam) & 0x7FFFFFFF;
  const TNotificationEvent event = NotificationEventOf(number);
  if (!fEventFilter.Contains(event)) return;
  const auto* lists = reinterpret_cast<const PCItemIDList*>(wParam);
  PCItemIDList pidl1 = lists != nullptr ? lists[0] : nullptr;
  PCItemIDList pidl2 = lists != nullptr ? lists[1] : nullptr;

  const DWORD now = CurrentTicks();
  // The same change for the same item again within 2.5 s is an echo; the
  // desktop's own changes are never.
  if (number == PrevEvent && pidl1 != nullptr && prev_pidl_1 && GetItemIdCount(pidl1) > 0 &&
      SameItemIdList(pidl1, prev_pidl_1.Get()) &&
      now - PrevTicks < 2500)
    return;

  if (OnChange) {
    std::wstring path1, path2;
    if (event == neImageListChange) {
      path1 = std::to_wstring(static_cast<int32_t>(reinterpret_cast<intptr_t>(pidl2)));
    } else if (event != neAssociationChange) {
      path1 = ItemIdListToPath(pidl1);
      path2 = ItemIdListToPath(pidl2);
    }
    DoChange(this, event, path1, path2);
  }
  if (OnChangePIDL) OnChangePIDL(this, event, pidl1, pidl2);
  PrevEvent = number;
  prev_pidl_1.Reset(CopyItemIdList(pidl1));
  PrevTicks = CurrentTicks();
}

void TNsShellChangeNotifier::DoChange(TObject* Sender, TNotificationEvent Event, const std::wstring& path1,
                                      const std::wstring& path2) {
  if (!OnChange) return;
  TComPtr<TNsNotifyWorkItem> item =
      TNsNotifyWorkItem::CreateFor(this, ++fLastSequence, Sender, Event, path1, path2, OnChange);
  fPendingChanges.push_back(item);
  if (TWorkerThreadPool* pool = GlobalWorkerPool())
    pool->AddWorkItem(item.Get());
  else
    PostMessageW(GetHandle(), kDeliverPathEventsMessage, 0, 0);
}

void TNsShellChangeNotifier::DeliverPendingChanges(uint64_t upTo) {
  const std::shared_ptr<bool> alive = fAlive;
  while (*alive && !fPendingChanges.empty() && fPendingChanges.front()->GetSequence() <= upTo) {
    TComPtr<TNsNotifyWorkItem> next = std::move(fPendingChanges.front());
    fPendingChanges.pop_front();
    // A carrier that was cancelled takes its change with it.
    next->Fire();
  }
}

}  // namespace ts
