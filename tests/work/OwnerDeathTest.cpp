// Owners die while their jobs are queued, running or waiting for the main
// thread: once TerminateWorkItems has returned for an owner's tag or group
// tag, nothing of that owner's may be delivered any more.
#include <gtest/gtest.h>

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
  bool Alive = true;
};

// The owners of one round. A dead owner's memory is kept until the round
// ends, so that no new owner takes its address (and with it its tag).
struct TOwners {
  std::vector<std::unique_ptr<TOwner>> All;
  std::unordered_set<TWorkTag> Live;
  int Delivered = 0;
  int DeliveredToTheDead = 0;

  TOwner* Make(TWorkTag group) {
    All.push_back(std::make_unique<TOwner>(TOwner{group}));
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
  TOwnedJob(TOwners& owners, TOwner* owner, unsigned spin) : fOwners(owners), fSpin(spin) {
    SetTag(TOwners::Tag(owner));
    SetGroupTag(owner->Group);
    fOnWorkDone = [this] { DeliverResult(); };
  }

  void PerformWork() override {
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
  unsigned fSpin;
};

TEST(OwnerDeathTest, NoResultReachesAnOwnerAfterItsJobsWereTerminated) {
  TWorkerThreadPool pool;
  pool.SetMinWorkerThreads(4);
  std::mt19937 random(16);
  constexpr int kRounds = 40;
  constexpr int kJobs = 3000;
  constexpr TWorkTag kGroups = 4;
  int delivered = 0;
  for (int round = 0; round < kRounds; ++round) {
    TOwners owners;
    std::vector<TOwner*> items;
    for (int i = 0; i < kJobs / 2; ++i) items.push_back(owners.Make(1 + i % kGroups));
    // Two jobs per item (an icon and an overlay, say).
    for (TOwner* item : items)
      for (int kind = 0; kind < 2; ++kind) pool.AddWorkItem(new TOwnedJob(owners, item, random() % 2000));

    // Items die one by one and whole controls refill, while results come in.
    std::shuffle(items.begin(), items.end(), random);
    size_t next = 0;
    while (next < items.size()) {
      for (int burst = 0; burst < 25 && next < items.size(); ++burst, ++next) {
        TOwner* item = items[next];
        if (!item->Alive) continue;
        pool.TerminateWorkItems(TOwners::Tag(item));
        owners.Bury(item);
      }
      if (next % 500 < 25) {
        const TWorkTag group = 1 + random() % kGroups;
        pool.TerminateWorkItems(0, group);
        for (TOwner* item : items)
          if (item->Alive && item->Group == group) owners.Bury(item);
      }
      CheckSynchronize();
    }
    ASSERT_TRUE(PumpMessagesUntil([&] { return !pool.WorkActive(); }, 60000)) << "round " << round;
    ASSERT_EQ(owners.DeliveredToTheDead, 0) << "round " << round;
    delivered += owners.Delivered;
  }
  // Results did flow while owners died, so the race was run.
  RecordProperty("Delivered", delivered);
}

}  // namespace
}  // namespace ts::test
