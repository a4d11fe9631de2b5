// The thread object and the calls it runs on the main thread.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "support/MessagePump.h"
#include "toolkit/Synchronize.h"
#include "toolkit/Thread.h"

namespace ts::test {
namespace {

// A thread whose body is a function.
class TFunctionThread : public TThread {
public:
  explicit TFunctionThread(std::function<void(TFunctionThread&)> body, std::atomic<bool>* destroyed = nullptr)
      : fBody(std::move(body)), fDestroyed(destroyed) {}
  ~TFunctionThread() override {
    // The body is a member: the thread ends before it goes.
    EndAndWait();
    if (fDestroyed) fDestroyed->store(true);
  }
  bool AskedToEnd() { return GetTerminated(); }

protected:
  void Execute() override { fBody(*this); }

private:
  std::function<void(TFunctionThread&)> fBody;
  std::atomic<bool>* fDestroyed;
};

// Waits without running queued main-thread calls.
bool WaitWithoutPumping(const std::function<bool()>& condition, DWORD timeoutMs = 30000) {
  const ULONGLONG start = GetTickCount64();
  while (!condition()) {
    if (GetTickCount64() - start > timeoutMs) return false;
    Sleep(1);
  }
  return true;
}

TEST(SynchronizeTest, CallsRunOnTheMainThreadInTheOrderTheyWereQueued) {
  std::vector<int> order;
  std::vector<DWORD> threads;
  std::vector<std::unique_ptr<TFunctionThread>> workers;
  for (int i = 0; i < 5; ++i) {
    workers.push_back(std::make_unique<TFunctionThread>([i, &order, &threads](TFunctionThread& self) {
      self.Synchronize([i, &order, &threads] {
        order.push_back(i);
        threads.push_back(GetCurrentThreadId());
      });
    }));
    workers.back()->Start();
    // The next worker queues only after this one has queued.
    ASSERT_TRUE(WaitWithoutPumping([i] { return PendingSynchronizeCount() == i + 1; }));
  }
  EXPECT_TRUE(CheckSynchronize());
  for (auto& worker : workers) worker->WaitFor();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  for (DWORD id : threads) EXPECT_EQ(id, MainThreadID());
  EXPECT_FALSE(CheckSynchronize());
}

TEST(SynchronizeTest, AWorkerIsServedByTheMessageLoopAndGetsTheCallsErrorBack) {
  std::atomic<bool> ran{false};
  std::atomic<bool> errorSeen{false};
  TFunctionThread worker([&](TFunctionThread& self) {
    self.Synchronize([&] { ran = true; });
    try {
      self.Synchronize([] { throw std::runtime_error("on the main thread"); });
    } catch (const std::runtime_error&) {
      errorSeen = true;
    }
  });
  worker.Start();
  EXPECT_TRUE(PumpMessagesUntil([&] { return worker.GetFinished(); }));
  worker.WaitFor();
  EXPECT_TRUE(ran);
  EXPECT_TRUE(errorSeen);
  EXPECT_EQ(worker.GetFatalException(), nullptr);
}

TEST(SynchronizeTest, OnTheMainThreadACallRunsAtOnceAndDrainingElsewhereDoesNothing) {
  bool ran = false;
  SynchronizeCall([&] { ran = true; });
  EXPECT_TRUE(ran);

  std::atomic<int> drained{-1};
  TFunctionThread worker([&](TFunctionThread&) { drained = CheckSynchronize() ? 1 : 0; });
  worker.Start();
  worker.WaitFor();
  EXPECT_EQ(drained, 0);
}

TEST(ThreadTest, RunsOnlyAfterStartAndANeverStartedThreadEndsWithoutRunning) {
  std::atomic<int> runs{0};
  {
    TFunctionThread never([&](TFunctionThread&) { ++runs; });
    EXPECT_TRUE(never.GetSuspended());
  }
  EXPECT_EQ(runs, 0);

  TFunctionThread thread([&](TFunctionThread&) { ++runs; });
  Sleep(20);
  EXPECT_EQ(runs, 0);
  thread.Start();
  thread.WaitFor();
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(thread.GetFinished());
}

TEST(ThreadTest, TerminateIsSeenByTheBodyAndTheDestructorWaits) {
  std::atomic<bool> entered{false};
  std::atomic<bool> left{false};
  {
    TFunctionThread thread([&](TFunctionThread& self) {
      entered = true;
      while (!self.AskedToEnd()) Sleep(1);
      left = true;
    });
    thread.Start();
    // Asked to end before its body began, a thread skips its body: wait
    // until it is inside.
    ASSERT_TRUE(WaitWithoutPumping([&] { return entered.load(); }));
    EXPECT_FALSE(left);
  }
  EXPECT_TRUE(left);
}

TEST(ThreadTest, FreeOnTerminateFreesItselfAfterOnTerminateRanOnTheMainThread) {
  std::atomic<bool> destroyed{false};
  DWORD terminateThread = 0;
  auto* thread = new TFunctionThread([](TFunctionThread&) {}, &destroyed);
  thread->SetFreeOnTerminate(true);
  thread->OnTerminate = [&](TObject*) { terminateThread = GetCurrentThreadId(); };
  thread->Start();
  EXPECT_TRUE(PumpMessagesUntil([&] { return destroyed.load(); }));
  EXPECT_EQ(terminateThread, MainThreadID());
}

TEST(ThreadTest, AnEscapingExceptionEndsTheThreadAndIsKept) {
  TFunctionThread thread([](TFunctionThread&) { throw std::runtime_error("job failed"); });
  thread.Start();
  thread.WaitFor();
  ASSERT_NE(thread.GetFatalException(), nullptr);
  EXPECT_THROW(std::rethrow_exception(thread.GetFatalException()), std::runtime_error);
}

TEST(ThreadTest, KillEndsAThreadThatIgnoresTerminateAndDropsItsPendingCall) {
  std::atomic<bool> stuckRan{false};
  std::atomic<bool> started{false};
  auto stuck = std::make_unique<TFunctionThread>([&](TFunctionThread&) {
    started = true;
    for (;;) Sleep(10);
  });
  stuck->Start();
  ASSERT_TRUE(WaitWithoutPumping([&] { return started.load(); }));
  stuck->Terminate();
  Sleep(20);
  EXPECT_FALSE(stuck->GetFinished());
  stuck->Kill();
  EXPECT_EQ(WaitForSingleObject(stuck->GetHandle(), 0), WAIT_OBJECT_0);
  stuck.reset();

  auto waiting = std::make_unique<TFunctionThread>([&](TFunctionThread& self) {
    self.Synchronize([&] { stuckRan = true; });
  });
  waiting->Start();
  ASSERT_TRUE(WaitWithoutPumping([] { return PendingSynchronizeCount() == 1; }));
  waiting->Kill();
  EXPECT_EQ(PendingSynchronizeCount(), 0);
  waiting.reset();
  CheckSynchronize();
  EXPECT_FALSE(stuckRan);
}

TEST(ThreadTest, PriorityIsReadBackAsSet) {
  TFunctionThread thread([](TFunctionThread&) {});
  thread.SetPriority(tpLower);
  EXPECT_EQ(thread.GetPriority(), tpLower);
  thread.SetPriority(tpNormal);
  EXPECT_EQ(thread.GetPriority(), tpNormal);
}

}  // namespace
}  // namespace ts::test
