// The job base and the queue of waiting jobs.
#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <thread>

#include "work/TestJobs.h"
#include "work/WorkItemsQueue.h"

namespace ts::test {
namespace {

std::vector<int> DrainFirst(TWorkItemsQueue& queue) {
  std::vector<int> tags;
  while (TComPtr<IWorkItem> item = queue.DequeueFirst()) tags.push_back(static_cast<int>(item->GetTag()));
  return tags;
}

TEST(WorkItemsQueueTest, RemovesByTagGroupAndClassKeepingTheOrderOfTheRest) {
  TJobLog log;
  {
    TWorkItemsQueue queue;
    queue.Add(new TTestJob(log, 1, 1, 100));
    queue.Add(new TDerivedTestJob(log, 2, 2, 200));
    queue.Add(new TTestJob(log, 3, 3, 100));
    queue.Add(new TDerivedTestJob(log, 4, 4, 100));
    queue.Add(new TTestJob(log, 5, 5, 200));
    EXPECT_EQ(queue.Count(), 5);

    EXPECT_TRUE(queue.ContainsWorkItem(0, 200, TDerivedTestJob::StaticClass()));
    EXPECT_TRUE(queue.ContainsWorkItem(3, 0, TBasicWorkItem::StaticClass()));
    EXPECT_FALSE(queue.ContainsWorkItem(3, 200, nullptr));

    // A class filter matches the class and what derives from it.
    EXPECT_EQ(queue.RemoveItemsWithTag(0, 100, TDerivedTestJob::StaticClass()), 1);
    EXPECT_EQ(queue.RemoveItemsWithTag(0, 0, TTestJob::StaticClass()) , 4);
    EXPECT_EQ(queue.Count(), 0);
    EXPECT_EQ(log.Destroyed, 5);

    queue.Add(new TTestJob(log, 6, 6, 100));
    queue.Add(new TTestJob(log, 7, 7, 200));
    queue.Add(new TTestJob(log, 8, 8, 100));
    queue.Add(new TTestJob(log, 9, 9, 200));
    EXPECT_EQ(queue.RemoveItemsWithTag(0, 200, nullptr), 2);
    EXPECT_EQ(DrainFirst(queue), (std::vector<int>{6, 8}));

    queue.Add(new TTestJob(log, 10, 10));
    queue.Add(new TTestJob(log, 11, 11));
    EXPECT_EQ(queue.DequeueLast()->GetTag(), 11);
    EXPECT_EQ(queue.Clear(), 1);
    EXPECT_FALSE(queue.DequeueFirst());
    EXPECT_FALSE(queue.DequeueLast());
  }
  EXPECT_EQ(log.Destroyed, 11);
}

// The queue knows which tags it holds; what it answers must follow every
// way a job leaves it.
TEST(WorkItemsQueueTest, TagsAndGroupTagsAreFoundExactlyWhileTheirJobsAreQueued) {
  TJobLog log;
  TWorkItemsQueue queue;
  for (int i = 1; i <= 6; ++i) queue.Add(new TTestJob(log, i, i, 100 + i % 2));
  queue.Add(new TTestJob(log, 7, 0, 0));  // no tags at all
  EXPECT_EQ(queue.DequeueFirst()->GetTag(), 1);
  EXPECT_FALSE(queue.ContainsWorkItem(1, 0, nullptr));
  EXPECT_EQ(queue.RemoveItemsWithTag(1, 0, nullptr), 0);
  EXPECT_EQ(queue.DequeueLast()->GetTag(), 0);
  EXPECT_TRUE(queue.ContainsWorkItem(0, 101, nullptr));  // 3 and 5
  EXPECT_EQ(queue.RemoveItemsWithTag(3, 101, nullptr), 1);
  EXPECT_EQ(queue.RemoveItemsWithTag(0, 101, nullptr), 1);
  EXPECT_FALSE(queue.ContainsWorkItem(0, 101, nullptr));
  EXPECT_FALSE(queue.ContainsWorkItem(5, 0, nullptr));
  EXPECT_EQ(queue.RemoveItemsWithTag(2, 101, nullptr), 0);  // both must hold
  EXPECT_TRUE(queue.ContainsWorkItem(2, 100, nullptr));
  EXPECT_EQ(queue.Clear(), 3);
  EXPECT_FALSE(queue.ContainsWorkItem(0, 100, nullptr));
  queue.Add(new TTestJob(log, 8, 2, 100));
  EXPECT_TRUE(queue.ContainsWorkItem(2, 100, nullptr));
  EXPECT_EQ(queue.RemoveItemsWithTag(2, 0, TTestJob::StaticClass()), 1);
}

// The queue against a plain list that does the same by walking it, over a
// long run of every operation with few tags, so that tags come and go, jobs
// leave from both ends and from the middle, and positions are given out
// again.
TEST(WorkItemsQueueTest, AgreesWithAPlainListOverAnyRunOfOperations) {
  struct TModel {
    int Number;
    TWorkTag Tag, Group;
    bool Derived;
  };
  TJobLog log;
  TWorkItemsQueue queue;
  std::deque<TModel> model;
  std::mt19937 random(1616);
  auto matches = [](const TModel& m, TWorkTag tag, TWorkTag group, bool derivedOnly) {
    return (tag == 0 || m.Tag == tag) && (group == 0 || m.Group == group) && (!derivedOnly || m.Derived);
  };
  int number = 0;
  for (int step = 0; step < 20000; ++step) {
    const TWorkTag tag = random() % 6, group = random() % 4;
    const bool derivedOnly = random() % 5 == 0;
    TClass cls = derivedOnly ? TDerivedTestJob::StaticClass() : (random() % 2 ? TTestJob::StaticClass() : nullptr);
    switch (random() % 6) {
      case 0:
      case 1: {
        const bool derived = random() % 3 == 0;
        queue.Add(derived ? new TDerivedTestJob(log, number, tag, group) : new TTestJob(log, number, tag, group));
        model.push_back({number++, tag, group, derived});
        break;
      }
      case 2: {
        const bool first = random() % 2 == 0;
        TComPtr<IWorkItem> item = first ? queue.DequeueFirst() : queue.DequeueLast();
        ASSERT_EQ(static_cast<bool>(item), !model.empty());
        if (!item) break;
        const TModel expected = first ? model.front() : model.back();
        first ? model.pop_front() : model.pop_back();
        ASSERT_EQ(static_cast<TTestJob*>(item.Get())->Number(), expected.Number) << "step " << step;
        break;
      }
      case 3: {
        if (tag == 0 && group == 0 && cls == nullptr) break;
        std::vector<TComPtr<IWorkItem>> removed = queue.ExtractItemsWithTag(tag, group, cls);
        std::vector<int> expected, got;
        for (auto it = model.begin(); it != model.end();) {
          if (matches(*it, tag, group, derivedOnly)) {
            expected.push_back(it->Number);
            it = model.erase(it);
          } else {
            ++it;
          }
        }
        for (auto& item : removed) got.push_back(static_cast<TTestJob*>(item.Get())->Number());
        ASSERT_EQ(got, expected) << "step " << step;
        break;
      }
      case 4: {
        bool expected = false;
        for (const TModel& m : model) expected |= matches(m, tag, group, derivedOnly);
        ASSERT_EQ(queue.ContainsWorkItem(tag, group, cls), expected) << "step " << step;
        break;
      }
      default:
        if (random() % 50 == 0) {
          ASSERT_EQ(queue.Clear(), static_cast<int>(model.size()));
          model.clear();
        }
        break;
    }
    ASSERT_EQ(queue.Count(), static_cast<int>(model.size())) << "step " << step;
  }
}

// A job's last release may run any code, another thread's work on the queue
// included: the queue's lock is free by then.
class TReleaseProbe : public TBasicWorkItem {
  TS_CLASS(TReleaseProbe, TBasicWorkItem)

public:
  TReleaseProbe(TWorkItemsQueue& queue, std::atomic<int>& blocked) : fQueue(queue), fBlocked(blocked) {}
  void PerformWork() override {}

protected:
  ~TReleaseProbe() override {
    HANDLE thread = CreateThread(nullptr, 0, &CountQueue, this, 0, nullptr);
    // Generous: the other thread only has to take a free lock. Held, it is
    // taken once the queue lets it go.
    if (WaitForSingleObject(thread, 30000) != WAIT_OBJECT_0) ++fBlocked;
    CloseHandle(thread);
  }

private:
  static DWORD WINAPI CountQueue(void* parameter) {
    static_cast<TReleaseProbe*>(parameter)->fQueue.Count();
    return 0;
  }

  TWorkItemsQueue& fQueue;
  std::atomic<int>& fBlocked;
};

TEST(WorkItemsQueueTest, JobsAreReleasedOutsideTheQueuesLock) {
  std::atomic<int> blocked{0};
  TWorkItemsQueue queue;
  queue.Add(new TReleaseProbe(queue, blocked));
  EXPECT_EQ(queue.Clear(), 1);
  TComPtr<TReleaseProbe> kept(new TReleaseProbe(queue, blocked));
  queue.Add(kept.Get());
  kept.Reset();
  EXPECT_EQ(queue.RemoveItemsWithTag(0, 0, TReleaseProbe::StaticClass()), 1);
  EXPECT_EQ(blocked, 0);
}

TEST(WorkItemsQueueTest, ConcurrentAddsAndDequeuesLoseNothing) {
  TJobLog log;
  TWorkItemsQueue queue;
  std::atomic<int> taken{0};
  constexpr int kPerThread = 2000;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) {
        queue.Add(new TTestJob(log, i, t * kPerThread + i + 1));
        if ((i & 1) != 0 && (t & 1 ? queue.DequeueLast() : queue.DequeueFirst())) ++taken;
      }
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(taken + queue.Count(), 4 * kPerThread);
  queue.Clear();
  EXPECT_EQ(log.Destroyed, 4 * kPerThread);
}

TEST(BasicWorkItemTest, APausedJobWaitsAtItsCheckUntilResumedOrTerminated) {
  TJobLog log;
  TComPtr<TTestJob> job(new TTestJob(log, 1));
  EXPECT_FALSE(job->Terminated());
  job->SetPause(true);
  std::atomic<bool> passed{false};
  std::thread checker([&] {
    job->Terminated();
    passed = true;
  });
  Sleep(250);
  EXPECT_FALSE(passed);
  job->SetPause(false);
  checker.join();
  EXPECT_TRUE(passed);

  job->SetPause(true);
  std::atomic<bool> result{false};
  std::thread released([&] { result = job->Terminated(); });
  job->Terminate();
  released.join();
  EXPECT_TRUE(result);
}

TEST(BasicWorkItemTest, OnTerminateBecomesTheDoneHandlerAndClearingItRemovesIt) {
  TJobLog log;
  TComPtr<TTestJob> job(new TTestJob(log, 1));
  TObject* sender = nullptr;
  job->SetOnTerminate([&](TObject* s) { sender = s; });
  TWorkDoneHandler handler = job->GetWorkDoneHandler();
  ASSERT_TRUE(handler);
  handler();
  EXPECT_EQ(sender, static_cast<TObject*>(job.Get()));
  job->SetOnTerminate(nullptr);
  EXPECT_FALSE(job->GetWorkDoneHandler());

  TComPtr<IWorkItem> asInterface;
  EXPECT_EQ(job->QueryInterface(IID_IWorkItem, asInterface.PutVoid()), S_OK);
  EXPECT_EQ(asInterface->ClassType(), TTestJob::StaticClass());
}

}  // namespace
}  // namespace ts::test
