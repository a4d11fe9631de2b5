#include "toolkit/Thread.h"

#include "toolkit/Application.h"
#include "toolkit/Exception.h"

namespace ts {

namespace {

constexpr int kPlatformPriorities[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST, THREAD_PRIORITY_BELOW_NORMAL,
                                       THREAD_PRIORITY_NORMAL,       THREAD_PRIORITY_ABOVE_NORMAL,
                                       THREAD_PRIORITY_HIGHEST,      THREAD_PRIORITY_TIME_CRITICAL};

// The slot that tells each thread its thread object.
const DWORD gCurrentThreadSlot = TlsAlloc();

}  // namespace

TThread* TThread::CurrentThread() {
  return gCurrentThreadSlot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<TThread*>(TlsGetValue(gCurrentThreadSlot));
}

TThread::TThread() {
  // Calls to the main thread are posted to the application's window, which
  // must belong to the main thread: make it now if this is the main thread.
  if (IsMainThread()) Application->GetHandle();
  fHandle = CreateThread(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &fThreadID);
  if (fHandle == nullptr) RaiseLastOSError();
}

TThread::~TThread() {
  if (fHandle == nullptr) return;
  EndAndWait();
  CloseHandle(fHandle);
}

void TThread::EndAndWait() {
  if (fHandle == nullptr || GetCurrentThreadId() == fThreadID) return;
  if (!fFinished.load() && !fKilled.load()) {
    fTerminated.store(true);
    if (fSuspended.exchange(false)) ResumeThread(fHandle);
  }
  WaitFor();
}

DWORD WINAPI TThread::ThreadProc(void* parameter) {
  auto* thread = static_cast<TThread*>(parameter);
  thread->Run();
  return 0;
}

void TThread::Run() {
  if (gCurrentThreadSlot != TLS_OUT_OF_INDEXES) TlsSetValue(gCurrentThreadSlot, this);
  // Nothing may escape the thread's entry point.
  try {
    if (!fTerminated.load()) Execute();
  } catch (...) {
    fFatalException = std::current_exception();
  }
  try {
    DoTerminate();
  } catch (...) {
    if (!fFatalException) fFatalException = std::current_exception();
  }
  // Read before finishing: a finished thread may be freed by its owner.
  const bool freeOnTerminate = fFreeOnTerminate;
  fFinished.store(true);
  if (freeOnTerminate) delete this;
}

void TThread::Start() {
  if (fSuspended.exchange(false)) ResumeThread(fHandle);
}

void TThread::Terminate() { fTerminated.store(true); }

void TThread::Kill() {
  if (fFinished.load() || fKilled.exchange(true)) return;
  TerminateThread(fHandle, 0);
  WaitForSingleObject(fHandle, INFINITE);
  CancelSynchronizeCalls(this);
}

DWORD TThread::WaitFor() {
  if (GetCurrentThreadId() == fThreadID) return 0;
  // The main thread keeps running calls the thread waits for, so that a thread
  // ending with a main-thread call does not deadlock its waiter.
  if (IsMainThread()) {
    while (WaitForSingleObject(fHandle, 5) == WAIT_TIMEOUT) CheckSynchronize();
  } else {
    WaitForSingleObject(fHandle, INFINITE);
  }
  DWORD code = 0;
  GetExitCodeThread(fHandle, &code);
  return code;
}

TThreadPriority TThread::GetPriority() const {
  const int platform = GetThreadPriority(fHandle);
  for (int i = 0; i <= tpTimeCritical; ++i)
    if (kPlatformPriorities[i] == platform) return static_cast<TThreadPriority>(i);
  return tpNormal;
}

void TThread::SetPriority(TThreadPriority value) {
  if (value > tpTimeCritical) return;
  SetThreadPriority(fHandle, kPlatformPriorities[value]);
}

void TThread::DoTerminate() {
  if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

}  // namespace ts
