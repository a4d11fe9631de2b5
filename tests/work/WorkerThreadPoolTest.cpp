// The worker pool: order, growth, termination by filter, the all-done event,
// idle workers, failing jobs and the forced end of stuck workers.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>

#include "support/MessagePump.h"
#include "toolkit/Application.h"
#include "toolkit/Exception.h"
#include "toolkit/Synchronize.h"
#include "work/TestJobs.h"
#include "work/WorkerThreadPool.h"

namespace ts::test {
namespace {

// A pool on a clock and a load figure the test sets.
struct TControlledPool {
  std::atomic<uint32_t> Tick{100000};
  std::atomic<int> CpuUsage{0};
  std::unique_ptr<TWorkerThreadPool> Pool = std::make_unique<TWorkerThreadPool>();
  std::atomic<int> AllDone{0};

  TControlledPool() {
    Pool->TickCountSource = [this] { return Tick.load(); };
    Pool->CpuUsageSource = [this] { return CpuUsage.load(); };
    Pool->OnAllWorkItemsDone = [this](TObject*) { ++AllDone; };
  }
  ~TControlledPool() { Pool.reset(); }
};

TTestJob* AddJob(TWorkerThreadPool& pool, TJobLog& log, int number, TWorkTag tag = 0, TWorkTag group = 0,
                 TGate* gate = nullptr) {
  auto* job = new TTestJob(log, number, tag, group, gate);
  pool.AddWorkItem(job);
  return job;
}

// How long a test waits for what it needs before it gives up: long enough
// for a machine that is very busy with other work.
constexpr unsigned kPatience = 30000;

bool WaitUntil(const std::function<bool()>& condition) { return PumpMessagesUntil(condition, kPatience); }

bool WaitAllDone(TWorkerThreadPool& pool) {
  return WaitUntil([&] { return !pool.WorkActive(); });
}

// Until every worker has taken a job and made its own decision on adding
// a worker, so that no decision is still to come from a worker.
bool WaitUntilEveryWorkerHoldsAJob(TWorkerThreadPool& pool, TJobLog& log) {
  return WaitUntil([&] { return static_cast<int>(log.StartedCopy().size()) == pool.ThreadCount(); });
}

// A pool with one worker, held at a gate by a first job while the test
// queues the rest.
struct THeldPool : TControlledPool {
  TJobLog Log;
  TGate Gate;
  TComPtr<TTestJob> First;

  explicit THeldPool(bool lifo = false) {
    Pool->SetMaxRunningThreads(1);
    Pool->SetUseLIFO(lifo);
    First = TComPtr<TTestJob>(AddJob(*Pool, Log, 0, 0, 0, &Gate));
    EXPECT_TRUE(WaitUntil([&] { return First->fRunning.load(); }));
  }
  ~THeldPool() { Gate.Open(); }
};

TEST(WorkerThreadPoolTest, DefaultsFollowTheProcessorCount) {
  TWorkerThreadPool pool;
  EXPECT_EQ(pool.GetMaxRunningThreads(), 3 * ProcessorCount() + 2);
  EXPECT_EQ(pool.GetMinWorkerThreads(), 1);
  EXPECT_EQ(pool.GetMaxIdleTime(), 60000u);
  EXPECT_EQ(pool.GetMaxCpuUsage(), 80);
  EXPECT_EQ(pool.GetMaxTimeUntilHardTerminate(), 3000u);
  EXPECT_FALSE(pool.GetUseLIFO());
  EXPECT_FALSE(pool.GetPaused());
  EXPECT_EQ(pool.GetPriority(), tpNormal);
  pool.SetMaxCpuUsage(150);
  EXPECT_EQ(pool.GetMaxCpuUsage(), 100);
  pool.SetMaxCpuUsage(-5);
  EXPECT_EQ(pool.GetMaxCpuUsage(), 0);
  pool.SetMinWorkerThreads(pool.GetMaxRunningThreads() + 3);
  EXPECT_EQ(pool.GetMaxRunningThreads(), pool.GetMinWorkerThreads());
}

TEST(WorkerThreadPoolTest, JobsStartInTheOrderAddedAndDeliverOnTheMainThread) {
  THeldPool held;
  for (int i = 1; i <= 20; ++i) AddJob(*held.Pool, held.Log, i);
  held.Gate.Open();
  ASSERT_TRUE(WaitAllDone(*held.Pool));
  std::vector<int> expected;
  for (int i = 0; i <= 20; ++i) expected.push_back(i);
  EXPECT_EQ(held.Log.StartedCopy(), expected);
  EXPECT_EQ(held.Log.Delivered, expected);
  for (DWORD id : held.Log.DeliveryThreads) EXPECT_EQ(id, MainThreadID());
}

// When no work is left, no job the pool ran is still held by a worker: an
// owner that goes then is never reached by a job being freed.
TEST(WorkerThreadPoolTest, WhenTheWorkIsDoneEveryJobIsReleased) {
  TControlledPool controlled;
  TJobLog log;
  for (int round = 1; round <= 5; ++round) {
    for (int i = 0; i < 100; ++i) AddJob(*controlled.Pool, log, i);
    ASSERT_TRUE(WaitAllDone(*controlled.Pool));
    EXPECT_EQ(log.Destroyed, 100 * round);
  }
}

TEST(WorkerThreadPoolTest, WithLifoTheNewestJobStartsFirst) {
  THeldPool held(true);
  for (int i = 1; i <= 5; ++i) AddJob(*held.Pool, held.Log, i);
  held.Gate.Open();
  ASSERT_TRUE(WaitAllDone(*held.Pool));
  EXPECT_EQ(held.Log.StartedCopy(), (std::vector<int>{0, 5, 4, 3, 2, 1}));
}

// Every job waits at a gate, so that each worker holds one; the test waits
// until each new worker has taken its job (and made the decision a worker
// makes then) before it moves the clock or the load.
TEST(WorkerThreadPoolTest, WorkersAreAddedAtOnceUpToTheMinimumThenEvery200MsWhileTheLoadAllows) {
  TControlledPool controlled;
  TWorkerThreadPool& pool = *controlled.Pool;
  TJobLog log;
  TGate gate;
  pool.SetMaxRunningThreads(6);
  pool.SetMinWorkerThreads(2);
  controlled.CpuUsage = 95;
  for (int i = 0; i < 10; ++i) AddJob(pool, log, i, 0, 0, &gate);
  // A busy machine gets the minimum and no more.
  ASSERT_TRUE(WaitUntilEveryWorkerHoldsAJob(pool, log));
  EXPECT_EQ(pool.ThreadCount(), 2);

  controlled.CpuUsage = 10;
  AddJob(pool, log, 10, 0, 0, &gate);
  // At the minimum the next worker may still come at once ...
  EXPECT_EQ(pool.ThreadCount(), 3);
  ASSERT_TRUE(WaitUntilEveryWorkerHoldsAJob(pool, log));
  AddJob(pool, log, 11, 0, 0, &gate);
  EXPECT_EQ(pool.ThreadCount(), 3);
  // ... beyond it only once 200 ms have passed since the last decision.
  controlled.Tick += 199;
  AddJob(pool, log, 12, 0, 0, &gate);
  EXPECT_EQ(pool.ThreadCount(), 3);
  controlled.Tick += 1;
  AddJob(pool, log, 13, 0, 0, &gate);
  EXPECT_EQ(pool.ThreadCount(), 4);
  ASSERT_TRUE(WaitUntilEveryWorkerHoldsAJob(pool, log));
  // A refused decision also counts as a decision.
  controlled.Tick += 200;
  controlled.CpuUsage = 80;
  AddJob(pool, log, 14, 0, 0, &gate);
  EXPECT_EQ(pool.ThreadCount(), 4);
  controlled.CpuUsage = 0;
  AddJob(pool, log, 15, 0, 0, &gate);
  EXPECT_EQ(pool.ThreadCount(), 4);
  for (int step = 0; step < 5; ++step) {
    controlled.Tick += 200;
    AddJob(pool, log, 16 + step, 0, 0, &gate);
    ASSERT_TRUE(WaitUntilEveryWorkerHoldsAJob(pool, log));
    EXPECT_EQ(pool.ThreadCount(), std::min(5 + step, 6));  // up to the maximum
  }

  gate.Open();
  ASSERT_TRUE(WaitAllDone(pool));
  EXPECT_EQ(log.Delivered.size(), 21u);
  EXPECT_TRUE(WaitUntil([&] { return controlled.AllDone == 1; }));
}

TEST(WorkerThreadPoolTest, TerminatingByGroupRemovesOnlyThatGroupsQueuedJobs) {
  THeldPool held;
  for (int i = 1; i <= 8; ++i) AddJob(*held.Pool, held.Log, i, i, i % 2 == 0 ? 200 : 100);
  EXPECT_TRUE(held.Pool->ContainsWorkItem(0, 200, nullptr));
  EXPECT_EQ(held.Pool->TerminateWorkItems(0, 200), 4);
  EXPECT_FALSE(held.Pool->ContainsWorkItem(0, 200, nullptr));
  EXPECT_EQ(held.Pool->TerminateWorkItems(5), 1);
  EXPECT_EQ(held.Pool->GetWorkItemsCount(), 4);  // the held job and 1, 3, 7
  held.Gate.Open();
  ASSERT_TRUE(WaitAllDone(*held.Pool));
  EXPECT_EQ(held.Log.StartedCopy(), (std::vector<int>{0, 1, 3, 7}));
  EXPECT_EQ(held.AllDone, 1);
}

TEST(WorkerThreadPoolTest, AClassFilterRemovesDerivedQueuedJobsButEndsOnlyExactRunningOnes) {
  TControlledPool controlled;
  TWorkerThreadPool& pool = *controlled.Pool;
  pool.SetMaxRunningThreads(1);
  TJobLog log;
  TGate gate;
  TComPtr<TTestJob> running(new TDerivedTestJob(log, 0, 0, 0, &gate));
  pool.AddWorkItem(running.Get());
  ASSERT_TRUE(WaitUntil([&] { return running->fRunning.load(); }));
  pool.AddWorkItem(new TDerivedTestJob(log, 1));
  pool.AddWorkItem(new TTestJob(log, 2));
  EXPECT_TRUE(pool.ContainsWorkItem(0, 0, TDerivedTestJob::StaticClass()));

  // By the base class: both queued jobs go, the running derived job stays.
  EXPECT_EQ(pool.TerminateWorkItems(0, 0, TTestJob::StaticClass()), 2);
  EXPECT_FALSE(running->TerminatedFlag().load());
  EXPECT_TRUE(pool.ContainsWorkItem(0, 0, TTestJob::StaticClass()));  // running, by derivation

  // By its exact class the running job is told to end; its result is dropped.
  EXPECT_EQ(pool.TerminateWorkItems(0, 0, TDerivedTestJob::StaticClass()), 1);
  EXPECT_TRUE(running->TerminatedFlag().load());
  ASSERT_TRUE(WaitAllDone(pool));
  EXPECT_TRUE(log.Delivered.empty());
  EXPECT_EQ(log.StartedCopy(), (std::vector<int>{0}));
}

TEST(WorkerThreadPoolTest, AllDoneFiresOncePerDropToZeroAndJobsAddedMeanwhileAreDropped) {
  TControlledPool controlled;
  TWorkerThreadPool& pool = *controlled.Pool;
  TJobLog log;
  for (int round = 1; round <= 3; ++round) {
    for (int i = 0; i < 50; ++i) AddJob(pool, log, i);
    ASSERT_TRUE(WaitAllDone(pool));
    // The report is on its way once the count is 0; once it has come and no
    // call waits for the main thread, no second report can follow.
    ASSERT_TRUE(WaitUntil([&] { return controlled.AllDone >= round && PendingSynchronizeCount() == 0; }));
    EXPECT_EQ(controlled.AllDone, round);
  }

  // No workers: the jobs stay queued, and terminating them all brings the
  // count to 0 at once, on this thread, while the pool still terminates.
  pool.SetMaxRunningThreads(0);
  ASSERT_TRUE(WaitUntil([&] { return pool.ThreadCount() == 0; }));
  for (int i = 0; i < 3; ++i) AddJob(pool, log, i);
  const int destroyedBefore = log.Destroyed;
  pool.OnAllWorkItemsDone = [&](TObject*) {
    ++controlled.AllDone;
    AddJob(pool, log, 99);
  };
  EXPECT_EQ(pool.TerminateWorkItems(), 3);
  EXPECT_EQ(controlled.AllDone, 4);
  EXPECT_EQ(pool.GetWorkItemsCount(), 0);
  EXPECT_EQ(pool.QueueLength(), 0);
  EXPECT_EQ(log.Destroyed, destroyedBefore + 4);
  EXPECT_EQ(pool.TerminateWorkItems(), 0);
}

TEST(WorkerThreadPoolTest, AJobThatRaisesKeepsTheCountAndEndsOnlyItsWorker) {
  TControlledPool controlled;
  TWorkerThreadPool& pool = *controlled.Pool;
  pool.SetMaxRunningThreads(1);
  TJobLog log;
  std::atomic<int> ended{0};
  pool.OnThreadTerminated = [&](TNsThread*) { ++ended; };
  auto* failing = new TTestJob(log, 1);
  failing->Raise = true;
  pool.AddWorkItem(failing);
  ASSERT_TRUE(WaitAllDone(pool));
  EXPECT_TRUE(WaitUntil([&] { return ended == 1 && pool.ThreadCount() == 0 && controlled.AllDone == 1; }));
  EXPECT_TRUE(log.Delivered.empty());

  AddJob(pool, log, 2);
  ASSERT_TRUE(WaitAllDone(pool));
  EXPECT_EQ(log.Delivered, (std::vector<int>{2}));
}

TEST(WorkerThreadPoolTest, IdleWorkersEndAndNewWorkStartsANewOne) {
  TControlledPool controlled;
  TWorkerThreadPool& pool = *controlled.Pool;
  pool.SetMaxIdleTime(1000);
  TJobLog log;
  std::atomic<int> allThreadsEnded{0};
  pool.OnAllThreadsTerminated = [&](TObject*) { ++allThreadsEnded; };
  AddJob(pool, log, 1);
  ASSERT_TRUE(WaitAllDone(pool));
  // Still within its idle time: the worker stays.
  ASSERT_EQ(pool.ThreadCount(), 1);
  // The clock moves on while the test waits, wherever the worker started
  // its wait.
  EXPECT_TRUE(WaitUntil([&] {
    controlled.Tick += 1001;
    return pool.ThreadCount() == 0;
  }));
  EXPECT_EQ(allThreadsEnded, 1);
  EXPECT_FALSE(pool.GetTerminated());

  AddJob(pool, log, 2);
  EXPECT_EQ(pool.ThreadCount(), 1);
  ASSERT_TRUE(WaitAllDone(pool));
  EXPECT_EQ(log.Delivered, (std::vector<int>{1, 2}));
}

// A worker that ends while jobs wait is replaced once it has left the list,
// also when it was the only one the pool may have.
TEST(WorkerThreadPoolTest, AWorkerThatEndsWhileJobsWaitNeverLeavesThemStalled) {
  TControlledPool controlled;
  TWorkerThreadPool& pool = *controlled.Pool;
  pool.SetMaxRunningThreads(1);
  pool.SetMaxIdleTime(1000);
  TJobLog log;
  AddJob(pool, log, 1);
  ASSERT_TRUE(WaitAllDone(pool));
  // The job comes while the idle worker is ending: the pool still counts
  // it, at its maximum, when the job is added.
  pool.OnThreadTerminated = [&](TNsThread*) {
    if (log.Delivered.size() == 1) AddJob(pool, log, 2);
  };
  ASSERT_TRUE(WaitUntil([&] {
    controlled.Tick += 1001;
    return log.Delivered.size() == 2;
  }));
  EXPECT_EQ(log.Delivered, (std::vector<int>{1, 2}));
}

// Workers whose component model fails to start end without a job.
class TComFailingPool : public TWorkerThreadPool {
public:
  std::atomic<int> Failures{0};
  TComFailingPool() : TWorkerThreadPool(true) {}

protected:
  TWorkerThread* NewWorkerThread() override { return new TWorker(*this); }

private:
  class TWorker : public TWorkerThread {
  public:
    explicit TWorker(TComFailingPool& pool) : TWorkerThread(true), fPool(pool) {}

  protected:
    HRESULT InitializeCOM() override {
      if (fPool.Failures.load() > 0) {
        --fPool.Failures;
        return E_OUTOFMEMORY;
      }
      return TWorkerThread::InitializeCOM();
    }

  private:
    TComFailingPool& fPool;
  };
};

TEST(WorkerThreadPoolTest, AWorkerWhoseComponentModelFailsLeavesItsJobToTheNext) {
  TComFailingPool pool;
  pool.SetMaxRunningThreads(1);
  pool.Failures = 2;
  TJobLog log;
  std::atomic<int> ended{0};
  pool.OnThreadTerminated = [&](TNsThread*) { ++ended; };
  AddJob(pool, log, 1);
  ASSERT_TRUE(WaitAllDone(pool));
  EXPECT_EQ(log.Delivered, (std::vector<int>{1}));
  EXPECT_EQ(ended, 2);
  EXPECT_EQ(pool.Failures, 0);
}

// A job that takes one step per permit the test gives and checks its flag
// after each.
class TSteppingJob : public TBasicWorkItem {
public:
  std::atomic<int> Steps{0};
  std::atomic<bool> AtCheck{false};

  TSteppingJob() : fPermits(CreateSemaphoreW(nullptr, 0, 1000, nullptr)) {}
  void Permit() { ReleaseSemaphore(fPermits, 1, nullptr); }
  bool Paused() const { return fPaused.load(); }

  void PerformWork() override {
    for (;;) {
      while (WaitForSingleObject(fPermits, 5) == WAIT_TIMEOUT)
        if (TerminatedFlag().load()) return;
      ++Steps;
      AtCheck = true;
      const bool terminated = Terminated();
      AtCheck = false;
      if (terminated) return;
    }
  }

protected:
  ~TSteppingJob() override { CloseHandle(fPermits); }

private:
  HANDLE fPermits;
};

TEST(WorkerThreadPoolTest, PausingHoldsRunningJobsAtTheirNextCheck) {
  TControlledPool controlled;
  TWorkerThreadPool& pool = *controlled.Pool;
  TComPtr<TSteppingJob> job(new TSteppingJob);
  pool.AddWorkItem(job.Get());
  job->Permit();
  ASSERT_TRUE(WaitUntil([&] { return job->Steps == 1 && !job->AtCheck; }));

  pool.SetPaused(true);
  EXPECT_TRUE(job->Paused());
  job->Permit();
  job->Permit();
  ASSERT_TRUE(WaitUntil([&] { return job->Steps == 2 && job->AtCheck; }));
  // Held at its check while the pool stays paused, whatever time passes.
  PumpMessagesFor(300);
  EXPECT_EQ(job->Steps, 2);
  EXPECT_TRUE(job->AtCheck);

  pool.SetPaused(false);
  EXPECT_TRUE(WaitUntil([&] { return job->Steps == 3; }));
  pool.TerminateWorkItems();
  EXPECT_TRUE(WaitAllDone(pool));
}

TEST(WorkerThreadPoolTest, AWorkerThatJoinsAPausedPoolIsPausedToo) {
  TControlledPool controlled;
  TWorkerThreadPool& pool = *controlled.Pool;
  TJobLog log;
  pool.SetPaused(true);
  AddJob(pool, log, 1);
  ASSERT_EQ(pool.ThreadCount(), 1);
  EXPECT_TRUE(pool.Thread(0)->GetPaused());
  pool.SetPaused(false);
  ASSERT_TRUE(WaitAllDone(pool));
  EXPECT_EQ(log.Delivered, (std::vector<int>{1}));
}

TEST(WorkerThreadPoolTest, ForcedTerminationReturnsWithNoThreadLeftAndKillsAStuckWorker) {
  TJobLog log;
  TControlledPool controlled;
  TWorkerThreadPool& pool = *controlled.Pool;
  pool.SetMinWorkerThreads(3);
  // A job that never looks at its flag.
  struct TStuckJob : TBasicWorkItem {
    std::atomic<bool>& Running;
    explicit TStuckJob(std::atomic<bool>& running) : Running(running) {}
    void PerformWork() override {
      Running = true;
      for (;;) Sleep(10);
    }
  };
  std::atomic<bool> stuckRunning{false};
  pool.AddWorkItem(new TStuckJob(stuckRunning));
  for (int i = 0; i < 30; ++i) AddJob(pool, log, i);
  ASSERT_TRUE(WaitUntil([&] { return stuckRunning.load(); }));

  const ULONGLONG start = GetTickCount64();
  pool.TerminateThreads(true);
  const ULONGLONG elapsed = GetTickCount64() - start;
  EXPECT_EQ(pool.ThreadCount(), 0);
  EXPECT_GE(elapsed, 2900u);
  EXPECT_EQ(pool.GetWorkItemsCount(), 0);
  EXPECT_EQ(pool.QueueLength(), 0);
  EXPECT_GE(controlled.AllDone, 1);

  // The pool works on afterwards.
  AddJob(pool, log, 100);
  ASSERT_TRUE(WaitAllDone(pool));
  EXPECT_EQ(log.Delivered.back(), 100);
}

TEST(WorkerThreadPoolTest, LoweringMaxRunningThreadsEndsTheWorkersBeyondItAfterTheirJobs) {
  TControlledPool controlled;
  TWorkerThreadPool& pool = *controlled.Pool;
  TJobLog log;
  TGate gate;
  controlled.CpuUsage = 100;  // the minimum, and no worker beyond it
  pool.SetMinWorkerThreads(4);
  for (int i = 0; i < 4; ++i) AddJob(pool, log, i, 0, 0, &gate);
  ASSERT_EQ(pool.ThreadCount(), 4);
  ASSERT_TRUE(WaitUntilEveryWorkerHoldsAJob(pool, log));
  pool.SetMaxRunningThreads(2);
  gate.Open();
  EXPECT_TRUE(WaitUntil([&] { return pool.ThreadCount() == 2; }));
  ASSERT_TRUE(WaitAllDone(pool));
  // The jobs of the workers that ended were not cut short: all four delivered.
  std::vector<int> delivered = log.Delivered;
  std::sort(delivered.begin(), delivered.end());
  EXPECT_EQ(delivered, (std::vector<int>{0, 1, 2, 3}));
}

// A pool whose threads cannot always be added, the way a system out of
// threads or memory refuses them.
class TRefusingPool : public TWorkerThreadPool {
public:
  std::function<bool()> Refuse = [] { return false; };
  bool RefuseAfterAdding = false;
  std::atomic<int> Refused{0};

  void AddThread(TNsThread* thread) override {
    if (!Refuse()) return TWorkerThreadPool::AddThread(thread);
    ++Refused;
    if (RefuseAfterAdding) TWorkerThreadPool::AddThread(thread);
    throw EOutOfMemory(L"Out of system resources");
  }
};

TEST(WorkerThreadPoolTest, AThreadThatCannotBeAddedLeavesTheListRightAndTheJobsQueued) {
  for (bool afterAdding : {false, true}) {
    SCOPED_TRACE(afterAdding ? "refused after adding" : "refused before adding");
    TJobLog log;
    {
      TRefusingPool pool;
      pool.RefuseAfterAdding = afterAdding;
      pool.Refuse = [&] { return pool.Refused == 0; };
      AddJob(pool, log, 1);
      EXPECT_EQ(pool.Refused, 1);
      // A thread in the list runs; one that is not is gone.
      EXPECT_EQ(pool.ThreadCount(), afterAdding ? 1 : 0);
      AddJob(pool, log, 2);
      ASSERT_TRUE(WaitAllDone(pool));
      std::vector<int> delivered = log.Delivered;
      std::sort(delivered.begin(), delivered.end());
      EXPECT_EQ(delivered, (std::vector<int>{1, 2}));
      for (int i = 0; i < pool.ThreadCount(); ++i) EXPECT_FALSE(pool.Thread(i)->GetIsFinished());
    }
    EXPECT_EQ(log.Destroyed, 2);
  }
}

// The decision to add a worker runs on a worker too, each time it takes a
// job: a thread refused there must neither end that worker nor lose its job.
TEST(WorkerThreadPoolTest, AThreadRefusedToAWorkerCostsNoJob) {
  TRefusingPool pool;
  std::atomic<uint32_t> tick{100000};
  std::atomic<int> cpu{100};
  pool.TickCountSource = [&] { return tick.load(); };
  pool.CpuUsageSource = [&] { return cpu.load(); };
  pool.Refuse = [] { return !IsMainThread(); };
  TJobLog log;
  TGate gate;
  AddJob(pool, log, 0, 0, 0, &gate);
  for (int i = 1; i <= 5; ++i) AddJob(pool, log, i);
  ASSERT_EQ(pool.ThreadCount(), 1);
  ASSERT_TRUE(WaitUntilEveryWorkerHoldsAJob(pool, log));
  // From now on the worker's decisions would add a thread, and are refused.
  cpu = 0;
  tick += 1000;
  gate.Open();
  ASSERT_TRUE(WaitAllDone(pool));
  EXPECT_GE(pool.Refused, 1);
  EXPECT_EQ(log.Delivered, (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(pool.ThreadCount(), 1);
}

TEST(WorkerThreadPoolTest, AnErrorInOnThreadTerminatedIsReportedAndTheThreadStillLeaves) {
  TControlledPool controlled;
  TWorkerThreadPool& pool = *controlled.Pool;
  TJobLog log;
  std::vector<std::wstring> reported;
  Application->OnException = [&](TObject*, const std::exception& error) {
    auto* e = dynamic_cast<const Exception*>(&error);
    reported.push_back(e != nullptr ? e->Message() : L"?");
  };
  struct TRestore {
    ~TRestore() { Application->OnException = nullptr; }
  } restore;
  std::atomic<int> allThreadsEnded{0};
  pool.OnThreadTerminated = [](TNsThread*) { throw Exception(L"the handler failed"); };
  pool.OnAllThreadsTerminated = [&](TObject*) { ++allThreadsEnded; };
  controlled.CpuUsage = 100;  // the two workers of the minimum, no more
  pool.SetMinWorkerThreads(2);
  AddJob(pool, log, 1);
  AddJob(pool, log, 2);
  ASSERT_TRUE(WaitAllDone(pool));
  pool.TerminateThreads(false);
  EXPECT_TRUE(WaitUntil([&] { return pool.ThreadCount() == 0 && allThreadsEnded == 1; }));
  EXPECT_EQ(reported, (std::vector<std::wstring>{L"the handler failed", L"the handler failed"}));
}

// Many rounds of adding, cancelling and finishing from the main thread while
// the workers run, to shake out races in the bookkeeping.
TEST(WorkerThreadPoolTest, StressAddTerminateAndFinishKeepTheBookkeepingExact) {
  TWorkerThreadPool pool;
  pool.SetMinWorkerThreads(4);
  std::atomic<int> allDone{0};
  pool.OnAllWorkItemsDone = [&](TObject*) { ++allDone; };
  TJobLog log;
  int added = 0;
  for (int round = 0; round < 60; ++round) {
    const int before = allDone;
    for (int i = 0; i < 200; ++i) {
      AddJob(pool, log, i, i % 7 + 1, i % 3 + 1);
      ++added;
    }
    switch (round % 4) {
      case 0: pool.TerminateWorkItems(0, round % 3 + 1); break;
      case 1: pool.TerminateWorkItems(round % 7 + 1); break;
      case 2: pool.TerminateWorkItems(0, 0, TTestJob::StaticClass()); break;
      default: break;
    }
    ASSERT_TRUE(WaitAllDone(pool)) << "round " << round;
    ASSERT_TRUE(WaitUntil([&] { return allDone > before && PendingSynchronizeCount() == 0; })) << "round " << round;
    ASSERT_EQ(allDone, before + 1) << "round " << round;
    ASSERT_EQ(pool.GetWorkItemsCount(), 0);
  }
  EXPECT_TRUE(WaitUntil([&] { return log.Destroyed == added; }));
}

TEST(WorkerThreadPoolTest, TheSystemsProcessorLoadIsAPercentage) {
  for (int i = 0; i < 3; ++i) {
    const int usage = TWorkerThreadPool::GetCPUUsage();
    EXPECT_GE(usage, 0);
    EXPECT_LE(usage, 100);
  }
}

}  // namespace
}  // namespace ts::test
