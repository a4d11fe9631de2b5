#include "work/CustomThreadPool.h"

#include "toolkit/Application.h"
#include "toolkit/Synchronize.h"

namespace ts {

int ProcessorCount() {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors > 0 ? static_cast<int>(info.dwNumberOfProcessors) : 1;
}

TCustomThreadPool::TCustomThreadPool() : FMaxRunningThreads(3 * ProcessorCount() + 2) {}

TCustomThreadPool::~TCustomThreadPool() { TCustomThreadPool::TerminateThreads(true); }

bool TCustomThreadPool::ThreadsActive() const { return ThreadCount() > 0; }

int TCustomThreadPool::ThreadCount() const {
  TCriticalSectionLock lock(fLock);
  return GetCount();
}

bool TCustomThreadPool::ThreadExists(TNsThread* thread) const {
  TCriticalSectionLock lock(fLock);
  return IndexOf(thread) >= 0;
}

void TCustomThreadPool::Notify(void* item, TListNotification action) {
  if (action == lnAdded) {
    auto* thread = static_cast<TNsThread*>(item);
    thread->SetThreadPool(this);
    thread->SetPriority(FPriority);
    // A thread that joins a paused pool is paused too.
    thread->SetPaused(FPaused);
  }
  TList::Notify(item, action);
}

void TCustomThreadPool::AddThread(TNsThread* thread) {
  TCriticalSectionLock lock(fLock);
  Add(thread);
}

void TCustomThreadPool::DoAllThreadsTerminated() {
  if (OnAllThreadsTerminated) OnAllThreadsTerminated(this);
}

void TCustomThreadPool::DetachThread(TNsThread* thread) {
  bool wasLast;
  {
    TCriticalSectionLock lock(fLock);
    const int index = IndexOf(thread);
    if (index < 0) return;
    Delete(index);
    wasLast = GetCount() == 0;
  }
  if (!wasLast) return;
  fTerminated.store(false);
  SynchronizeCall([this] { DoAllThreadsTerminated(); });
}

void TCustomThreadPool::RemoveThread(TNsThread* thread) {
  if (thread == nullptr) return;
  if (thread->GetIsFinished())
    DetachThread(thread);  // it frees itself afterwards
  else
    KillThread(thread);
}

void TCustomThreadPool::ThreadTerminated(TNsThread* thread) {
  fLastTerminatedThread = thread;
  // The thread frees itself after this call: it leaves the list whatever the
  // handler does, and the handler's error goes where the main thread's go.
  try {
    if (OnThreadTerminated) OnThreadTerminated(thread);
  } catch (...) {
    Application->HandleException();
  }
  RemoveThread(thread);
}

void TCustomThreadPool::KillThread(TNsThread* thread) {
  fTerminated.store(true);
  if (thread == nullptr) return;
  if (thread->GetIsFinished()) {
    // It is on its way out and removes itself through the main thread.
    CheckSynchronize();
    return;
  }
  thread->Terminate();
  thread->Start();
  const ULONGLONG start = GetTickCount64();
  while (GetTickCount64() - start < fMaxTimeUntilHardTerminate) {
    if (!ThreadExists(thread)) return;
    CheckSynchronize();
    Sleep(5);
  }
  bool wasLast = false;
  {
    TCriticalSectionLock lock(fLock);
    const int index = IndexOf(thread);
    if (index < 0) return;
    thread->Kill();
    Delete(index);
    wasLast = GetCount() == 0;
    try {
      delete thread;
    } catch (...) {
      // A thread killed in the middle of its work may not free cleanly.
    }
  }
  if (wasLast) {
    fTerminated.store(false);
    SynchronizeCall([this] { DoAllThreadsTerminated(); });
  }
}

void TCustomThreadPool::TerminateThreads(bool force) {
  if (ThreadCount() == 0) return;
  fTerminated.store(true);
  {
    TCriticalSectionLock lock(fLock);
    for (int i = GetCount() - 1; i >= 0; --i) {
      TNsThread* thread = Thread(i);
      thread->Terminate();
      thread->Start();
    }
  }
  if (force) {
    Sleep(20);
    CheckSynchronize();
    for (;;) {
      TNsThread* first;
      {
        TCriticalSectionLock lock(fLock);
        if (GetCount() == 0) break;
        first = Thread(0);
      }
      KillThread(first);
      // A finished thread still has to deliver its last main-thread call.
      if (ThreadExists(first)) Sleep(1);
    }
  }
  Sleep(1);
  CheckSynchronize();
}

void TCustomThreadPool::SetMaxRunningThreads(int value) {
  TCriticalSectionLock lock(fLock);
  if (value == FMaxRunningThreads) return;
  FMaxRunningThreads = value;
  int running = 0;
  for (int i = 0; i < GetCount(); ++i) {
    TNsThread* thread = Thread(i);
    if (thread->GetSuspended()) continue;
    // The job it runs is finished and delivered first.
    if (++running > value) thread->EndAfterCurrentWork();
  }
  for (int i = 0; i < GetCount() && running < value; ++i) {
    TNsThread* thread = Thread(i);
    if (!thread->GetSuspended()) continue;
    thread->Start();
    ++running;
  }
}

void TCustomThreadPool::SetPaused(bool value) {
  TCriticalSectionLock lock(fLock);
  if (value == FPaused) return;
  FPaused = value;
  for (int i = 0; i < GetCount(); ++i) Thread(i)->SetPaused(value);
}

void TCustomThreadPool::SetPriority(TThreadPriority value) {
  TCriticalSectionLock lock(fLock);
  if (value == FPriority) return;
  FPriority = value;
  for (int i = 0; i < GetCount(); ++i) Thread(i)->SetPriority(value);
}

}  // namespace ts
