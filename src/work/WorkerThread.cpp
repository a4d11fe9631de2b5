#include "work/WorkerThread.h"

#include <objbase.h>

#include "work/WorkerThreadPool.h"
#include "work/WorkItemsQueue.h"

namespace ts {

namespace {

class TSharedLock {
public:
  explicit TSharedLock(SRWLOCK& lock) : fLock(lock) { AcquireSRWLockShared(&fLock); }
  ~TSharedLock() { ReleaseSRWLockShared(&fLock); }
  TSharedLock(const TSharedLock&) = delete;
  TSharedLock& operator=(const TSharedLock&) = delete;

private:
  SRWLOCK& fLock;
};

}  // namespace

TWorkerThread::TWorkerThread(bool aInitializeCOM) : TNsThread(-1), fInitializeCOM(aInitializeCOM) {
  // Handle values fit in 32 bits on every Windows, so that they can be shared
  // with 32-bit code.
  SetThreadId(static_cast<int32_t>(reinterpret_cast<std::intptr_t>(GetHandle())));
}

TWorkerThread::~TWorkerThread() = default;

TWorkerThreadPool* TWorkerThread::Pool() const { return static_cast<TWorkerThreadPool*>(GetThreadPool()); }

TComPtr<IWorkItem> TWorkerThread::GetWorkItem() const {
  TSharedLock lock(fWorkItemLock);
  return fWorkItem;
}

void TWorkerThread::SetWorkItem(TComPtr<IWorkItem> item) {
  AcquireSRWLockExclusive(&fWorkItemLock);
  std::swap(fWorkItem, item);
  // Under the lock that SetPaused takes, so that a pause set meanwhile
  // reaches the new job one way or the other.
  if (fWorkItem) fWorkItem->SetPause(GetPaused());
  ReleaseSRWLockExclusive(&fWorkItemLock);
  // The previous job is released here, outside the lock.
}

void TWorkerThread::Terminate() {
  TNsThread::Terminate();
  if (TComPtr<IWorkItem> item = GetWorkItem()) item->Terminate();
  Start();
}

void TWorkerThread::SetPaused(bool value) {
  AcquireSRWLockExclusive(&fWorkItemLock);
  TNsThread::SetPaused(value);
  if (fWorkItem) fWorkItem->SetPause(value);
  ReleaseSRWLockExclusive(&fWorkItemLock);
}

HRESULT TWorkerThread::InitializeCOM() {
  return CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

TComPtr<IWorkItem> TWorkerThread::WorkItemToTerminate(TWorkTag aTag, TWorkTag aGroupTag, TClass aClass) const {
  TComPtr<IWorkItem> item = GetWorkItem();
  if (!item) return nullptr;
  if (aTag != 0 && item->GetTag() != aTag) return nullptr;
  if (aGroupTag != 0 && item->GetGroupTag() != aGroupTag) return nullptr;
  if (aClass != nullptr && item->ClassType() != aClass) return nullptr;
  return item;
}

bool TWorkerThread::TerminateWorkItem(TWorkTag aTag, TWorkTag aGroupTag, TClass aClass) {
  TComPtr<IWorkItem> item = WorkItemToTerminate(aTag, aGroupTag, aClass);
  if (!item) return false;
  item->Terminate();
  Start();
  return true;
}

bool TWorkerThread::RunsWorkItem(TWorkTag aTag, TWorkTag aGroupTag, TClass aClass) {
  TComPtr<IWorkItem> item = GetWorkItem();
  return WorkItemMatches(item.Get(), aTag, aGroupTag, aClass);
}

void TWorkerThread::Execute() {
  if (TerminationRequested()) return;
  TWorkerThreadPool* pool = Pool();
  if (pool == nullptr) return;
  if (fInitializeCOM) {
    const HRESULT hr = InitializeCOM();
    if (hr != S_OK && hr != S_FALSE) return;
  }
  struct TComScope {
    bool Active;
    ~TComScope() {
      if (Active) CoUninitialize();
    }
  } comScope{fInitializeCOM};

  while (!GetTerminated()) {
    // Taken from the queue and recorded as this worker's job in one step, so
    // that a cancel always finds it in one place or the other.
    TComPtr<IWorkItem> item = pool->GetNextWorkItem(this);
    if (!item) continue;
    // The bookkeeping runs whatever the job does; an exception that escapes
    // the job then ends this thread. The worker lets go of the job before it
    // is counted as finished: once no work is left, no job is still on its
    // way to being freed on a worker.
    struct TBookkeeping {
      TWorkerThread* Thread;
      TWorkerThreadPool* Pool;
      TComPtr<IWorkItem>& Item;
      ~TBookkeeping() {
        Thread->SetWorkItem(nullptr);
        Item.Reset();
        Pool->WorkItemFinished(Thread);
      }
    } bookkeeping{this, pool, item};
    item->PerformWork();
    if (TWorkDoneHandler handler = item->GetWorkDoneHandler()) Synchronize(handler);
  }
}

}  // namespace ts
