#pragma once
// A list of pool threads with limits and the logic that ends them: asked to
// end, waited for, and killed when they do not end in time. The list does not
// own its threads, which free themselves when they end.
#include <functional>

#include "toolkit/CriticalSection.h"
#include "toolkit/List.h"
#include "toolkit/StringList.h"
#include "toolkit/Thread.h"
#include "work/NsThread.h"

namespace ts {

using TThreadNotifyEvent = std::function<void(TNsThread* thread)>;

class TCustomThreadPool : public TList {
  TS_CLASS(TCustomThreadPool, TList)

public:
  TCustomThreadPool();
  ~TCustomThreadPool() override;

  TNsThread* Thread(int index) const { return static_cast<TNsThread*>(Get(index)); }

  virtual void AddThread(TNsThread* thread);
  virtual void RemoveThread(TNsThread* thread);
  // Asks every thread to end; with force, waits until none is left, killing
  // those that do not end within MaxTimeUntilHardTerminate.
  virtual void TerminateThreads(bool force);

  bool ThreadsActive() const;
  bool ThreadExists(TNsThread* thread) const;
  int ThreadCount() const;
  // Called on the main thread by a thread whose body has ended.
  void ThreadTerminated(TNsThread* thread);

  uint32_t GetMaxTimeUntilHardTerminate() const noexcept { return fMaxTimeUntilHardTerminate; }
  void SetMaxTimeUntilHardTerminate(uint32_t value) noexcept { fMaxTimeUntilHardTerminate = value; }
  int GetMaxRunningThreads() const noexcept { return FMaxRunningThreads; }
  void SetMaxRunningThreads(int value);
  bool GetTerminated() const noexcept { return fTerminated.load(); }
  bool GetPaused() const noexcept { return FPaused; }
  void SetPaused(bool value);
  TThreadPriority GetPriority() const noexcept { return FPriority; }
  void SetPriority(TThreadPriority value);
  TNsThread* GetLastTerminatedThread() const noexcept { return fLastTerminatedThread; }

  TThreadNotifyEvent OnThreadTerminated;
  TNotifyEvent OnAllThreadsTerminated;

protected:
  void Notify(void* item, TListNotification action) override;
  // Ends one thread for certain.
  void KillThread(TNsThread* thread);
  void DoAllThreadsTerminated();
  // Takes a thread out of the list; when it was the last one, the pool
  // reports that all threads have ended.
  void DetachThread(TNsThread* thread);

  int FMaxRunningThreads;
  bool FPaused = false;
  TThreadPriority FPriority = tpNormal;
  uint32_t fMaxTimeUntilHardTerminate = 3000;
  mutable TCriticalSection fLock;
  TNsThread* fLastTerminatedThread = nullptr;
  std::atomic<bool> fTerminated{false};
};

// The number of processors the pool's defaults are scaled by.
int ProcessorCount();

}  // namespace ts
