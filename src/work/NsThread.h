#pragma once
// A pool's thread: a thread object that can be paused, that knows its pool,
// and that reports its end to the pool on the main thread. It frees itself
// when its body has ended.
#include <atomic>
#include <cstdint>

#include "toolkit/Thread.h"

namespace ts {

class TCustomThreadPool;

class TNsThread : public TThread {
  TS_CLASS(TNsThread, TThread)

public:
  explicit TNsThread(int32_t id);

  TCustomThreadPool* GetThreadPool() const noexcept { return fThreadPool; }
  void SetThreadPool(TCustomThreadPool* pool) noexcept { fThreadPool = pool; }
  bool GetPaused() const noexcept { return fPaused.load(); }
  virtual void SetPaused(bool value) { fPaused.store(value); }
  // Holds a paused thread here until it is resumed or asked to end.
  bool GetTerminated() override;
  bool GetTerminationRequested() const noexcept { return TerminationRequested(); }
  // Asks the body to end without disturbing what it does now: unlike
  // Terminate, which a worker passes on to its current job, the job runs to
  // its end and delivers.
  void EndAfterCurrentWork() { TThread::Terminate(); }
  bool GetIsFinished() const noexcept { return fIsFinished.load(); }
  int32_t GetThreadId() const noexcept { return fThreadId; }
  void SetThreadId(int32_t value) noexcept { fThreadId = value; }
  bool GetBackgroundMode() const noexcept { return fBackgroundMode; }
  // Changes the calling thread: set it only from the thread's own body.
  void SetBackgroundMode(bool value);

protected:
  void DoTerminate() override;
  virtual void ThreadFinished();

private:
  std::atomic<bool> fIsFinished{false};
  std::atomic<bool> fPaused{false};
  bool fBackgroundMode = false;
  int32_t fThreadId;
  TCustomThreadPool* fThreadPool = nullptr;
};

}  // namespace ts
