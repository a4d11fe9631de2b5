#include "work/WorkerThreadPool.h"

#include <vector>

#include "toolkit/Application.h"
#include "toolkit/Exception.h"
#include "toolkit/Synchronize.h"

namespace ts {

TWorkerThreadPool::TWorkerThreadPool(bool aInitializeCOM)
    : fInitializeCOM(aInitializeCOM), fNewWorkItemEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  if (fNewWorkItemEvent == nullptr) RaiseLastOSError();
}

TWorkerThreadPool::~TWorkerThreadPool() {
  TWorkerThreadPool::TerminateThreads(true);
  CloseHandle(fNewWorkItemEvent);
}

void TWorkerThreadPool::Notify(void* item, TListNotification action) {
  TCustomThreadPool::Notify(item, action);
  if (action == lnAdded) static_cast<TNsThread*>(item)->Start();
}

void TWorkerThreadPool::AddWorkItem(IWorkItem* aWorkItem) {
  if (aWorkItem == nullptr) return;
  if (fIsTerminating.load()) {
    // Dropped: a caller that handed over its only reference loses the job here.
    aWorkItem->AddRef();
    aWorkItem->Release();
    return;
  }
  ++fWorkItemsCount;
  fWorkerItemsQueue.Add(aWorkItem);
  SetEvent(fNewWorkItemEvent);
  CheckAddNewWorkerThread();
}

void TWorkerThreadPool::CheckAddNewWorkerThread() {
  TCriticalSectionLock lock(fLock);
  const int count = GetCount();
  if (count >= FMaxRunningThreads) return;
  const uint32_t now = CurrentTickCount();
  if (now - fLastCheckAddNewWorkerThread < 200 && count > fMinWorkerThreads) return;
  if (fWorkerItemsQueue.Count() == 0) return;
  if (count < fMinWorkerThreads || CurrentCpuUsage() < fMaxCpuUsage.load()) {
    auto* worker = new TWorkerThread(fInitializeCOM);
    try {
      AddThread(worker);
    } catch (...) {
      delete worker;
      throw;
    }
  }
  fLastCheckAddNewWorkerThread = now;
  fTerminated.store(false);
}

TComPtr<IWorkItem> TWorkerThreadPool::GetNextWorkItem(TWorkerThread* thread) {
  if (thread->GetTerminationRequested()) return nullptr;
  auto dequeue = [this] { return fUseLIFO.load() ? fWorkerItemsQueue.DequeueLast() : fWorkerItemsQueue.DequeueFirst(); };
  TComPtr<IWorkItem> item = dequeue();
  const uint32_t start = CurrentTickCount();
  while (!item) {
    const uint32_t now = CurrentTickCount();
    if (now < start || now - start > fMaxIdleTime.load()) {
      thread->Terminate();
      return nullptr;
    }
    const DWORD wait = WaitForSingleObject(fNewWorkItemEvent, 500);
    if (wait == WAIT_ABANDONED || wait == WAIT_FAILED || thread->GetTerminationRequested()) return nullptr;
    item = dequeue();
  }
  CheckAddNewWorkerThread();
  return item;
}

void TWorkerThreadPool::WorkItemFinished(TWorkerThread* thread) noexcept {
  if (--fWorkItemsCount != 0) return;
  try {
    thread->Synchronize([this] {
      try {
        DoAllWorkItemsDone();
      } catch (...) {
        Application->HandleException();
      }
    });
  } catch (...) {
    // Reported on the main thread already.
  }
}

void TWorkerThreadPool::DoAllWorkItemsDone() {
  fTerminated.store(false);
  if (OnAllWorkItemsDone) OnAllWorkItemsDone(this);
}

void TWorkerThreadPool::SetMinWorkerThreads(int value) {
  fMinWorkerThreads = value;
  if (value > GetMaxRunningThreads()) SetMaxRunningThreads(value);
  CheckAddNewWorkerThread();
}

void TWorkerThreadPool::RemoveThread(TNsThread* thread) {
  // A worker that ends while jobs wait may be the only one: replace it.
  if (fWorkerItemsQueue.Count() > 0) CheckAddNewWorkerThread();
  TCustomThreadPool::RemoveThread(thread);
}

int TWorkerThreadPool::TerminateWorkItems(TWorkTag OnlyForTag, TWorkTag OnlyForTagGroup, TClass OnlyForClass) {
  if (fWorkItemsCount.load() == 0) return 0;
  fIsTerminating.store(true);
  struct TClearTerminating {
    std::atomic<bool>& Flag;
    ~TClearTerminating() { Flag.store(false); }
  } clearTerminating{fIsTerminating};

  const bool filtered = OnlyForTag != 0 || OnlyForTagGroup != 0 || OnlyForClass != nullptr;
  int n = filtered ? fWorkerItemsQueue.RemoveItemsWithTag(OnlyForTag, OnlyForTagGroup, OnlyForClass)
                   : fWorkerItemsQueue.Clear();
  if (n > 0) {
    fTerminated.store(true);
    if (fWorkItemsCount.fetch_sub(n) - n == 0) DoAllWorkItemsDone();
  }
  TCriticalSectionLock lock(fLock);
  for (int i = GetCount() - 1; i >= 0; --i) {
    auto* worker = static_cast<TWorkerThread*>(Thread(i));
    if (worker->TerminateWorkItem(OnlyForTag, OnlyForTagGroup, OnlyForClass)) ++n;
  }
  return n;
}

bool TWorkerThreadPool::ContainsWorkItem(TWorkTag pTag, TWorkTag pGroupTag, TClass pClass) {
  if (fWorkerItemsQueue.ContainsWorkItem(pTag, pGroupTag, pClass)) return true;
  TCriticalSectionLock lock(fLock);
  for (int i = GetCount() - 1; i >= 0; --i)
    if (static_cast<TWorkerThread*>(Thread(i))->RunsWorkItem(pTag, pGroupTag, pClass)) return true;
  return false;
}

void TWorkerThreadPool::TerminateThreads(bool force) {
  TCustomThreadPool::TerminateThreads(false);
  TerminateWorkItems();
  SetEvent(fNewWorkItemEvent);
  TCustomThreadPool::TerminateThreads(force);
  fWorkerItemsQueue.Clear();
  if (fWorkItemsCount.exchange(0) != 0) DoAllWorkItemsDone();
}

}  // namespace ts
