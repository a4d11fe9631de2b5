// The worker pool: order, growth, termination by filter, the all-done event,
// idle workers, failing jobs and the forced end of stuck workers.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "support/MessagePump.h"
#include "work/TestJobs.h"
#include "toolkit/Synchronize.h"
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

bool WaitAllDone(TWorkerThreadPool& pool, unsigned timeoutMs = 10000) {
  return PumpMessagesUntil([&] { return !pool.WorkActive(); }, timeoutMs);
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
    EXPECT_TRUE(PumpMessagesUntil([&] { return First->fRunning.load(); }));
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

TEST(WorkerThreadPoolTest, WithLifoTheNewestJobStartsFirst) {
  THeldPool held(true);
  for (int i = 1; i <= 5; ++i) AddJob(*held.Pool, held.Log, i);
  held.Gate.Open();
  ASSERT_TRUE(WaitAllDone(*held.Pool));
  EXPECT_EQ(held.Log.StartedCopy(), (std::vector<int>{0, 5, 4, 3, 2, 1}));
}

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
  EXPECT_EQ(pool.ThreadCount(), 2);

  controlled.CpuUsage = 10;
  AddJob(pool, log, 10, 0, 0, &gate);
  // At the minimum the next worker may still come at once ...
  EXPECT_EQ(pool.ThreadCount(), 3);
  AddJob(pool, log, 11, 0, 0, &gate);
  EXPECT_EQ(pool.ThreadCount(), 3);
  // ... beyond it only once 200 ms have passed since the last decision.
  controlled.Tick += 199;
  AddJob(pool, log, 12, 0, 0, &gate);
  EXPECT_EQ(pool.ThreadCount(), 3);
  controlled.Tick += 1;
  AddJob(pool, log, 13, 0, 0, &gate);
  EXPECT_EQ(pool.ThreadCount(), 4);
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
  }
  EXPECT_EQ(pool.ThreadCount(), 6);  // the maximum

  gate.Open();
  ASSERT_TRUE(WaitAllDone(pool));
  EXPECT_EQ(log.Delivered.size(), 21u);
  EXPECT_EQ(controlled.AllDone, 1);
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
  ASSERT_TRUE(PumpMessagesUntil([&] { return running->fRunning.load(); }));
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
    PumpMessagesFor(20);
    EXPECT_EQ(controlled.AllDone, round);
  }

  // No workers: the jobs stay queued, and terminating them all brings the
  // count to 0 at once, on this thread, while the pool still terminates.
  pool.SetMaxRunningThreads(0);
  ASSERT_TRUE(PumpMessagesUntil([&] { return pool.ThreadCount() == 0; }));
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
  EXPECT_TRUE(PumpMessagesUntil([&] { return ended == 1 && pool.ThreadCount() == 0; }));
  EXPECT_EQ(controlled.AllDone, 1);
  EXPECT_TRUE(log.Delivered.empty());

  AddJob(pool, log, 2);
  ASSERT_TRUE(WaitAllDone(pool));
  EXPECT_EQ(log.Delivered, (std::vector<int>{2}));
}

TEST(WorkerThreadPoolTest, IdleWorkersEndAndNewWorkStartsANewOne) {
  TWorkerThreadPool pool;
  pool.SetMaxIdleTime(100);
  TJobLog log;
  std::atomic<int> allThreadsEnded{0};
  pool.OnAllThreadsTerminated = [&](TObject*) { ++allThreadsEnded; };
  AddJob(pool, log, 1);
  ASSERT_TRUE(WaitAllDone(pool));
  EXPECT_TRUE(PumpMessagesUntil([&] { return pool.ThreadCount() == 0; }, 5000));
  EXPECT_EQ(allThreadsEnded, 1);
  EXPECT_FALSE(pool.GetTerminated());

  AddJob(pool, log, 2);
  EXPECT_EQ(pool.ThreadCount(), 1);
  ASSERT_TRUE(WaitAllDone(pool));
  EXPECT_EQ(log.Delivered, (std::vector<int>{1, 2}));
}

TEST(WorkerThreadPoolTest, PausingHoldsRunningJobsAtTheirNextCheck) {
  TControlledPool controlled;
  TWorkerThreadPool& pool = *controlled.Pool;
  std::atomic<int> steps{0};
  struct TSteppingJob : TBasicWorkItem {
    std::atomic<int>& Steps;
    explicit TSteppingJob(std::atomic<int>& steps) : Steps(steps) {}
    void PerformWork() override {
      while (!Terminated() && Steps < 1000000) {
        ++Steps;
        Sleep(1);
      }
    }
  };
  pool.AddWorkItem(new TSteppingJob(steps));
  ASSERT_TRUE(PumpMessagesUntil([&] { return steps > 0; }));
  pool.SetPaused(true);
  Sleep(150);
  const int held = steps;
  Sleep(250);
  EXPECT_EQ(steps, held);
  pool.SetPaused(false);
  EXPECT_TRUE(PumpMessagesUntil([&] { return steps > held; }));
  pool.TerminateWorkItems();
  EXPECT_TRUE(WaitAllDone(pool));
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
  ASSERT_TRUE(PumpMessagesUntil([&] { return stuckRunning.load(); }));

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

TEST(WorkerThreadPoolTest, LoweringMaxRunningThreadsEndsTheWorkersBeyondIt) {
  TControlledPool controlled;
  TWorkerThreadPool& pool = *controlled.Pool;
  TJobLog log;
  TGate gate;
  controlled.CpuUsage = 100;  // the minimum, and no worker beyond it
  pool.SetMinWorkerThreads(4);
  for (int i = 0; i < 4; ++i) AddJob(pool, log, i, 0, 0, &gate);
  ASSERT_EQ(pool.ThreadCount(), 4);
  pool.SetMaxRunningThreads(2);
  gate.Open();
  EXPECT_TRUE(PumpMessagesUntil([&] { return pool.ThreadCount() == 2; }));
  ASSERT_TRUE(WaitAllDone(pool));
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
    PumpMessagesUntil([&] { return allDone > before; }, 2000);
    ASSERT_EQ(allDone, before + 1) << "round " << round;
    ASSERT_EQ(pool.GetWorkItemsCount(), 0);
  }
  PumpMessagesUntil([&] { return log.Destroyed == added; }, 5000);
  EXPECT_EQ(log.Destroyed, added);
}

TEST(WorkerThreadPoolTest, TheProcessorLoadIsAPercentageSampledAtMostEvery200Ms) {
  const int first = TWorkerThreadPool::GetCPUUsage();
  EXPECT_GE(first, 0);
  EXPECT_LE(first, 100);
  EXPECT_EQ(TWorkerThreadPool::GetCPUUsage(), first);  // cached
  Sleep(250);
  const int later = TWorkerThreadPool::GetCPUUsage();
  EXPECT_GE(later, 0);
  EXPECT_LE(later, 100);
}

}  // namespace
}  // namespace ts::test
