#include "toolkit/Synchronize.h"

#include <atomic>
#include <deque>

namespace ts {

namespace {

struct TSyncRequest {
  const TThreadMethod* Method;
  const void* Owner;
  std::exception_ptr Error;
  bool Done = false;
  // Each waiter sleeps on its own condition, so that a finished call wakes
  // only the thread that queued it.
  CONDITION_VARIABLE DoneCondition = CONDITION_VARIABLE_INIT;
};

// Captured while the program loads, which happens on its main thread.
const DWORD gMainThreadID = GetCurrentThreadId();

SRWLOCK gLock = SRWLOCK_INIT;
std::deque<TSyncRequest*> gQueue;
std::atomic<HWND> gWindow{nullptr};
// Set while a wake-up message is on its way, so that a burst of calls costs one.
std::atomic<bool> gWakePending{false};

void WakeMainThread() {
  if (gWakePending.exchange(true)) return;
  HWND window = gWindow.load();
  if (window == nullptr || !PostMessageW(window, SynchronizeMessage(), 0, 0))
    PostThreadMessageW(gMainThreadID, SynchronizeMessage(), 0, 0);
}

TSyncRequest* TakeNext() {
  AcquireSRWLockExclusive(&gLock);
  TSyncRequest* request = nullptr;
  if (!gQueue.empty()) {
    request = gQueue.front();
    gQueue.pop_front();
  }
  ReleaseSRWLockExclusive(&gLock);
  return request;
}

}  // namespace

DWORD MainThreadID() { return gMainThreadID; }

bool IsMainThread() { return GetCurrentThreadId() == gMainThreadID; }

UINT SynchronizeMessage() {
  static const UINT message = RegisterWindowMessageW(L"Twinscope.Synchronize");
  return message;
}

void SetSynchronizeWindow(HWND window) { gWindow.store(window); }

void SynchronizeCall(const TThreadMethod& method, const void* owner) {
  if (IsMainThread()) {
    method();
    return;
  }
  TSyncRequest request{&method, owner, nullptr};
  AcquireSRWLockExclusive(&gLock);
  gQueue.push_back(&request);
  ReleaseSRWLockExclusive(&gLock);
  WakeMainThread();

  AcquireSRWLockExclusive(&gLock);
  while (!request.Done) SleepConditionVariableSRW(&request.DoneCondition, &gLock, INFINITE, 0);
  ReleaseSRWLockExclusive(&gLock);
  if (request.Error) std::rethrow_exception(request.Error);
}

bool CheckSynchronize() {
  if (!IsMainThread()) return false;
  gWakePending.store(false);
  bool ran = false;
  // One call at a time, so that a call that drains the queue itself continues
  // with the next one in order.
  while (TSyncRequest* request = TakeNext()) {
    ran = true;
    try {
      (*request->Method)();
    } catch (...) {
      request->Error = std::current_exception();
    }
    AcquireSRWLockExclusive(&gLock);
    request->Done = true;
    // Woken under the lock: the request lives on the waiter's stack and
    // is gone as soon as the waiter can return.
    WakeConditionVariable(&request->DoneCondition);
    ReleaseSRWLockExclusive(&gLock);
  }
  return ran;
}

int PendingSynchronizeCount() {
  AcquireSRWLockShared(&gLock);
  const int count = static_cast<int>(gQueue.size());
  ReleaseSRWLockShared(&gLock);
  return count;
}

void CancelSynchronizeCalls(const void* owner) {
  if (owner == nullptr) return;
  AcquireSRWLockExclusive(&gLock);
  for (auto it = gQueue.begin(); it != gQueue.end();) {
    if ((*it)->Owner == owner)
      it = gQueue.erase(it);
    else
      ++it;
  }
  ReleaseSRWLockExclusive(&gLock);
}

}  // namespace ts
