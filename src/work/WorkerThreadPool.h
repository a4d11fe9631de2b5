#pragma once
// The worker pool: a queue of jobs and the worker threads that run them.
// Workers are created by demand (at once up to MinWorkerThreads, then at most
// every 200 ms while the processors are not busy), end after MaxIdleTime
// without work, and hand each finished job to the main thread.
#include <atomic>
#include <cstdint>

#include "toolkit/ComPtr.h"
#include "work/CustomThreadPool.h"
#include "work/WorkItem.h"
#include "work/WorkItemsQueue.h"
#include "work/WorkerThread.h"

namespace ts {

class TWorkerThreadPool : public TCustomThreadPool {
  TS_CLASS(TWorkerThreadPool, TCustomThreadPool)

public:
  explicit TWorkerThreadPool(bool aInitializeCOM = false);
  ~TWorkerThreadPool() override;

  // Takes a reference to the job; a job added while jobs are being
  // terminated is dropped.
  void AddWorkItem(IWorkItem* aWorkItem);
  // Removes matching queued jobs (class by derivation; a removed job is
  // marked terminated for whoever still holds it) and tells matching running
  // jobs to end (exact class); 0 or null filters match anything. Answers the
  // number of jobs removed or told to end. Once it has returned on the main
  // thread, no job it matched delivers a result there.
  virtual int TerminateWorkItems(TWorkTag OnlyForTag = 0, TWorkTag OnlyForTagGroup = 0, TClass OnlyForClass = nullptr);
  bool ContainsWorkItem(TWorkTag pTag, TWorkTag pGroupTag, TClass pClass);
  void TerminateThreads(bool force) override;
  void RemoveThread(TNsThread* thread) override;

  // The system-wide processor load in percent (0 to 100), sampled at most
  // every 200 ms.
  static int GetCPUUsage();

  int QueueLength() const { return fWorkerItemsQueue.Count(); }
  uint32_t GetMaxIdleTime() const noexcept { return fMaxIdleTime; }
  void SetMaxIdleTime(uint32_t value) noexcept { fMaxIdleTime = value; }
  int32_t GetWorkItemsCount() const noexcept { return fWorkItemsCount.load(); }
  bool WorkActive() const noexcept { return fWorkItemsCount.load() > 0; }
  int GetMaxCpuUsage() const noexcept { return fMaxCpuUsage; }
  void SetMaxCpuUsage(int value) noexcept { fMaxCpuUsage = value < 0 ? 0 : (value > 100 ? 100 : value); }
  int GetMinWorkerThreads() const noexcept { return fMinWorkerThreads; }
  void SetMinWorkerThreads(int value);
  bool GetUseLIFO() const noexcept { return fUseLIFO; }
  void SetUseLIFO(bool value) noexcept { fUseLIFO = value; }
  bool GetInitializeCOM() const noexcept { return fInitializeCOM; }

  TNotifyEvent OnAllWorkItemsDone;

  // The clock and the load figure the pool decides by, when they are to be
  // other than the system's (set them before the first job is added).
  std::function<uint32_t()> TickCountSource;
  std::function<int()> CpuUsageSource;

  // Used by the workers: the next job, already recorded as the worker's
  // current one; null when the worker is to end.
  TComPtr<IWorkItem> GetNextWorkItem(TWorkerThread* thread);
  void WorkItemFinished(TWorkerThread* thread) noexcept;

protected:
  void Notify(void* item, TListNotification action) override;
  // Never raises: a worker that cannot be made now is tried again at the
  // next decision.
  void CheckAddNewWorkerThread() noexcept;
  void DoAllWorkItemsDone();
  // Makes a worker, suspended; the pool adds and starts it.
  virtual TWorkerThread* NewWorkerThread();

  uint32_t CurrentTickCount() const { return TickCountSource ? TickCountSource() : GetTickCount(); }
  int CurrentCpuUsage() const { return CpuUsageSource ? CpuUsageSource() : GetCPUUsage(); }

private:
  TComPtr<IWorkItem> TakeWorkItem(TWorkerThread* thread);
  // Answers a thread that could not be added, for the caller to free.
  TNsThread* AddNewWorkerThread();
  // Frees a thread that was never started.
  static void DiscardUnstartedThread(TNsThread* thread) noexcept;

  int fMinWorkerThreads = 1;
  std::atomic<bool> fUseLIFO{false};
  TWorkItemsQueue fWorkerItemsQueue;
  std::atomic<uint32_t> fMaxIdleTime{60000};
  std::atomic<bool> fIsTerminating{false};
  std::atomic<int32_t> fWorkItemsCount{0};
  uint32_t fLastCheckAddNewWorkerThread = 0;
  bool fInitializeCOM;
  std::atomic<int> fMaxCpuUsage{80};
  HANDLE fNewWorkItemEvent;
  // Taking a job from the queue and recording it as a worker's current job
  // happen as one step under this lock, and cancelling and looking for jobs
  // take it too: a job is always either queued or recorded, never in
  // between. Taken before the pool's own lock, which comes before the
  // queue's.
  mutable TCriticalSection fDispatchLock;
};

}  // namespace ts
