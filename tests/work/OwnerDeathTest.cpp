// Owners die while their jobs are queued, running or waiting for the main
// thread: once TerminateWorkItems has returned for an owner's tag or group
// tag, nothing of that owner's may be delivered any more.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <random>
#include <unordered_set>
#include <vector>

#include "support/MessagePump.h"
#include "toolkit/Synchronize.h"
#include "work/WorkerThreadPool.h"

namespace ts::test {
namespace {

// A list item or tree node, as far as its jobs are concerned.
struct TOwner {
  TWorkTag Group;
  int Index;
  bool Alive = true;
};

// The owners of one round. A dead owner's memory is kept until the round
// ends, so that no new owner takes its address (and with it its tag).
struct TOwners {
  std::vector<std::unique_ptr<TOwner>> All;
  std::unordered_set<TWorkTag> Live;
  int Delivered = 0;
  int DeliveredToTheDead = 0;
  // The item whose job a worker started last.
  std::atomic<int> LastStarted{-1};

  TOwner* Make(TWorkTag group, int index) {
    All.push_back(std::make_unique<TOwner>(TOwner{group, index}));
    TOwner* owner = All.back().get();
    Live.insert(Tag(owner));
    return owner;
  }
  static TWorkTag Tag(TOwner* owner) { return reinterpret_cast<TWorkTag>(owner); }
  void Bury(TOwner* owner) {
    owner->Alive = false;
    Live.erase(Tag(owner));
  }
};

// A job the way the controls' jobs are made: a little work on the worker,
// the result dropped when the job was terminated, otherwise handed to the
// owner its tag names.
class TOwnedJob : public TBasicWorkItem {
public:
  TOwnedJob(TOwners& owners, TOwner* owner, unsigned spin) : fOwners(owners), fIndex(owner->Index), fSpin(spin) {
    SetTag(TOwners::Tag(owner));
    SetGroupTag(owner->Group);
    fOnWorkDone = [this] { DeliverResult(); };
  }

  void PerformWork() override {
    fOwners.LastStarted = fIndex;
    volatile unsigned sink = 0;
    for (unsigned i = 0; i < fSpin; ++i) sink = sink + i;
    if (fSpin % 3 == 0) SwitchToThread();
  }

private:
  void DeliverResult() {
    if (TerminatedFlag().load()) return;
    if (fOwners.Live.count(GetTag()) == 0)
      ++fOwners.DeliveredToTheDead;
    else
      ++fOwners.Delivered;
  }

  TOwners& fOwners;
  int fIndex;
  unsigned fSpin;
};

// Items die where the workers are (the ones whose jobs are being taken from
// the queue right now, the hardest case), at random, and whole controls
// refill, while results come in.
TEST(OwnerDeathTest, NoResultReachesAnOwnerAfterItsJobsWereTerminated) {
  TWorkerThreadPool pool;
  // A worker asks for the load each time it takes a job; the asking gives
  // its processor away, as a busy machine may make it do at any moment.
  pool.CpuUsageSource = [] {
    SwitchToThread();
    return 100;
  };
  pool.SetMinWorkerThreads(4);
  std::mt19937 random(16);
  constexpr int kRounds = 20;
  constexpr int kItems = 1500;
  constexpr TWorkTag kGroups = 4;
  int delivered = 0;
  for (int round = 0; round < kRounds; ++round) {
    TOwners owners;
    std::vector<TOwner*> items;
    for (int i = 0; i < kItems; ++i) items.push_back(owners.Make(1 + i % kGroups, i));
    // Two jobs per item (an icon and an overlay, say).
    for (TOwner* item : items)
      for (int kind = 0; kind < 2; ++kind) pool.AddWorkItem(new TOwnedJob(owners, item, random() % 2000));

    auto kill = [&](TOwner* item) {
      if (!item->Alive) return;
      pool.TerminateWorkItems(TOwners::Tag(item));
      owners.Bury(item);
    };
    for (int step = 0; pool.WorkActive(); ++step) {
      const int next = owners.LastStarted.load() + 1 + static_cast<int>(random() % 3);
      if (next < kItems) kill(items[static_cast<size_t>(next)]);
      if (step % 7 == 0) kill(items[random() % kItems]);
      if (step % 1500 == 0) {
        const TWorkTag group = 1 + random() % kGroups;
        pool.TerminateWorkItems(0, group);
        for (TOwner* item : items)
          if (item->Alive && item->Group == group) owners.Bury(item);
      }
      if (step % 16 == 0) CheckSynchronize();
    }
    for (TOwner* item : items) kill(item);
    ASSERT_TRUE(PumpMessagesUntil([&] { return !pool.WorkActive(); }, 60000)) << "round " << round;
    ASSERT_EQ(owners.DeliveredToTheDead, 0) << "round " << round;
    delivered += owners.Delivered;
  }
  // Results did flow while owners died, so the race was run.
  EXPECT_GT(delivered, 0);
}

}  // namespace
}  // namespace ts::test
