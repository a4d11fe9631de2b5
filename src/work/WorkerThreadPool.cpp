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

TWorkerThread* TWorkerThreadPool::NewWorkerThread() { return new TWorkerThread(fInitializeCOM); }

void TWorkerThreadPool::DiscardUnstartedThread(TNsThread* thread) noexcept {
  // Freed by the caller rather than by itself, and belonging to no pool: the
  // body that the destructor lets run to its end reports to nobody.
  thread->SetFreeOnTerminate(false);
  thread->SetThreadPool(nullptr);
  try {
    delete thread;
  } catch (...) {
    // Nothing more can be done for it.
  }
}

TNsThread* TWorkerThreadPool::AddNewWorkerThread() {
  TWorkerThread* worker = NewWorkerThread();
  if (worker == nullptr) return nullptr;
  try {
    AddThread(worker);
  } catch (...) {
    // The list holds exactly the threads that live: one that got in stays
    // and is started; one that did not is to be freed.
    if (IndexOf(worker) < 0) return worker;
    worker->Start();
  }
  return nullptr;
}

void TWorkerThreadPool::CheckAddNewWorkerThread() noexcept {
  TNsThread* discarded = nullptr;
  {
    TCriticalSectionLock lock(fLock);
    const int count = GetCount();
    if (count >= FMaxRunningThreads) return;
    const uint32_t now = CurrentTickCount();
    if (now - fLastCheckAddNewWorkerThread < 200 && count > fMinWorkerThreads) return;
    if (fWorkerItemsQueue.Count() == 0) return;
    try {
      if (count < fMinWorkerThreads || CurrentCpuUsage() < fMaxCpuUsage.load()) discarded = AddNewWorkerThread();
    } catch (...) {
      // No thread this time (out of resources, say); the queue keeps its
      // jobs for the workers there are and for the next decision.
    }
    fLastCheckAddNewWorkerThread = now;
    fTerminated.store(false);
  }
  // Freeing a thread waits for it: never under the pool's lock.
  if (discarded != nullptr) DiscardUnstartedThread(discarded);
}

TComPtr<IWorkItem> TWorkerThreadPool::TakeWorkItem(TWorkerThread* thread) {
  TCriticalSectionLock lock(fDispatchLock);
  TComPtr<IWorkItem> item = fUseLIFO.load() ? fWorkerItemsQueue.DequeueLast() : fWorkerItemsQueue.DequeueFirst();
  if (item) thread->SetWorkItem(item);
  return item;
}

TComPtr<IWorkItem> TWorkerThreadPool::GetNextWorkItem(TWorkerThread* thread) {
  if (thread->GetTerminationRequested()) return nullptr;
  TComPtr<IWorkItem> item = TakeWorkItem(thread);
  const uint32_t start = CurrentTickCount();
  while (!item) {
    const uint32_t now = CurrentTickCount();
    if (now < start || now - start > fMaxIdleTime.load()) {
      thread->Terminate();
      return nullptr;
    }
    const DWORD wait = WaitForSingleObject(fNewWorkItemEvent, 500);
    if (wait == WAIT_ABANDONED || wait == WAIT_FAILED || thread->GetTerminationRequested()) return nullptr;
    item = TakeWorkItem(thread);
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
  TCustomThreadPool::RemoveThread(thread);
  // A worker that ended while jobs wait may have been the only one: replace
  // it, now that it no longer counts against MaxRunningThreads.
  if (fWorkerItemsQueue.Count() > 0) CheckAddNewWorkerThread();
}

int TWorkerThreadPool::TerminateWorkItems(TWorkTag OnlyForTag, TWorkTag OnlyForTagGroup, TClass OnlyForClass) {
  if (fWorkItemsCount.load() == 0) return 0;
  fIsTerminating.store(true);
  struct TClearTerminating {
    std::atomic<bool>& Flag;
    ~TClearTerminating() { Flag.store(false); }
  } clearTerminating{fIsTerminating};

  const bool filtered = OnlyForTag != 0 || OnlyForTagGroup != 0 || OnlyForClass != nullptr;
  // Told to end and released after every lock: ending a job gives up what
  // it holds of its owner's, and a job's final release may run any code.
  std::vector<TComPtr<IWorkItem>> removed;
  std::vector<TComPtr<IWorkItem>> running;
  bool allDone = false;
  {
    TCriticalSectionLock dispatch(fDispatchLock);
    removed = filtered ? fWorkerItemsQueue.ExtractItemsWithTag(OnlyForTag, OnlyForTagGroup, OnlyForClass)
                       : fWorkerItemsQueue.ExtractAll();
    const int n = static_cast<int>(removed.size());
    if (n > 0) {
      fTerminated.store(true);
      allDone = fWorkItemsCount.fetch_sub(n) - n == 0;
    }
    TCriticalSectionLock lock(fLock);
    for (int i = GetCount() - 1; i >= 0; --i) {
      auto* worker = static_cast<TWorkerThread*>(Thread(i));
      if (TComPtr<IWorkItem> item = worker->WorkItemToTerminate(OnlyForTag, OnlyForTagGroup, OnlyForClass)) {
        // Started (when suspended) while it is surely in the list.
        worker->Start();
        running.push_back(std::move(item));
      }
    }
  }
  // The jobs are in hand: whatever the workers do now, none of them can
  // deliver before this thread (the main thread) runs their handlers.
  for (const TComPtr<IWorkItem>& item : running) item->Terminate();
  // A removed job is a terminated one, for whoever still holds it.
  for (const TComPtr<IWorkItem>& item : removed) item->Terminate();
  // No running job is left to report the drop to zero: it is reported here,
  // on this thread, while jobs added meanwhile are still dropped.
  if (allDone) DoAllWorkItemsDone();
  return static_cast<int>(removed.size() + running.size());
}

bool TWorkerThreadPool::ContainsWorkItem(TWorkTag pTag, TWorkTag pGroupTag, TClass pClass) {
  TCriticalSectionLock dispatch(fDispatchLock);
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
