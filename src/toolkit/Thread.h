#pragma once
// The thread object: a platform thread created suspended, started with Start,
// asked to end with Terminate (its body polls GetTerminated), optionally freed
// by itself when its body has ended. Its body runs Execute; an exception that
// escapes Execute ends the thread and is kept as its fatal exception.
#include <windows.h>

#include <atomic>
#include <exception>

#include "toolkit/Object.h"
#include "toolkit/StringList.h"
#include "toolkit/Synchronize.h"

namespace ts {

enum TThreadPriority : uint8_t { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThread : public TObject {
  TS_CLASS(TThread, TObject)

public:
  // The platform thread exists from here on but runs only after Start.
  TThread();
  // Asks a running thread to end and waits for it; a thread that never
  // started ends without running its body.
  ~TThread() override;

  void Start();
  // Asks the body to end; the body decides when (it polls GetTerminated).
  virtual void Terminate();
  // Ends the platform thread at once (TerminateThread), for a thread that does
  // not respond. Its pending main-thread call is dropped.
  void Kill();
  DWORD WaitFor();

  bool GetSuspended() const noexcept { return fSuspended.load(); }
  bool GetFinished() const noexcept { return fFinished.load(); }
  bool GetFreeOnTerminate() const noexcept { return fFreeOnTerminate; }
  void SetFreeOnTerminate(bool value) noexcept { fFreeOnTerminate = value; }
  TThreadPriority GetPriority() const;
  void SetPriority(TThreadPriority value);
  HANDLE GetHandle() const noexcept { return fHandle; }
  DWORD GetThreadID() const noexcept { return fThreadID; }
  std::exception_ptr GetFatalException() const { return fFatalException; }

  // Fired on the main thread when the body has ended.
  TNotifyEvent OnTerminate;

  // The thread object whose body runs on the calling thread; null for the
  // main thread and threads not made by a thread object.
  static TThread* CurrentThread();

  // Runs method on the main thread while this thread waits.
  void Synchronize(const TThreadMethod& method) { SynchronizeCall(method, this); }

protected:
  // Asks a running thread to end and waits for it; a thread that never
  // started ends without running its body. The destructor does it, but only
  // once the subclass's part is gone: a subclass whose body uses the
  // subclass's own members calls it first in its own destructor.
  void EndAndWait();
  virtual void Execute() = 0;
  // The end-of-thread hook: runs on the thread after Execute; fires OnTerminate.
  virtual void DoTerminate();
  // Whether termination was asked (not virtual: the plain flag).
  bool TerminationRequested() const noexcept { return fTerminated.load(); }
  virtual bool GetTerminated() { return fTerminated.load(); }

private:
  static DWORD WINAPI ThreadProc(void* parameter);
  void Run();

  HANDLE fHandle = nullptr;
  DWORD fThreadID = 0;
  std::atomic<bool> fTerminated{false};
  std::atomic<bool> fSuspended{true};
  std::atomic<bool> fFinished{false};
  std::atomic<bool> fKilled{false};
  bool fFreeOnTerminate = false;
  std::exception_ptr fFatalException;
};

}  // namespace ts
