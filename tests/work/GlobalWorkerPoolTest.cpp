// The global pool lives exactly as long as the shell layer.
#include <gtest/gtest.h>

#include "shell/ItemIdListPaths.h"
#include "shell/NsSystemImageList.h"
#include "shell/ShellGlobals.h"
#include "shell/ShellStartup.h"
#include "support/MessagePump.h"
#include "work/TestJobs.h"
#include "work/GlobalWorkerPool.h"

namespace ts::test {
namespace {

// The workers initialise the component model for the shell's objects.
class TApartmentProbe : public TBasicWorkItem {
public:
  explicit TApartmentProbe(HRESULT& result) : fResult(result) {}
  void PerformWork() override {
    // Already initialised as a single-threaded apartment: S_FALSE.
    fResult = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(fResult)) CoUninitialize();
  }

private:
  HRESULT& fResult;
};

TEST(GlobalWorkerPoolTest, IsCreatedWithTheShellLayerAndDestroyedWithIt) {
  EXPECT_EQ(GlobalWorkerPool(), nullptr);
  TJobLog log;
  TGate gate;
  {
    TShellLayer layer(GlobalWorkerPoolHooks());
    TWorkerThreadPool* pool = GlobalWorkerPool();
    ASSERT_NE(pool, nullptr);
    EXPECT_TRUE(pool->GetInitializeCOM());
    EXPECT_EQ(pool->GetMinWorkerThreads(), 4 * ProcessorCount());

    HRESULT apartment = E_FAIL;
    auto* probe = new TApartmentProbe(apartment);
    probe->SetOnTerminate([](TObject*) {});
    pool->AddWorkItem(probe);
    ASSERT_TRUE(PumpMessagesUntil([&] { return !pool->WorkActive(); }, 30000));
    EXPECT_EQ(apartment, S_FALSE);

    // Jobs still queued at shut-down are discarded with the pool.
    for (int i = 0; i < 20; ++i) pool->AddWorkItem(new TTestJob(log, i, 0, 0, &gate));
  }
  EXPECT_EQ(GlobalWorkerPool(), nullptr);
  EXPECT_EQ(log.Destroyed, 20);
}

// What the jobs that ran at shut-down found when they finished.
struct TShutDownLog {
  std::atomic<int> Holding{0};    // jobs inside the thumbnail lock now
  std::atomic<int> Finished{0};
  std::atomic<int> FoundGone{0};  // jobs that found a shell object released
  std::atomic<int> Destroyed{0};
};

// A job the way the thumbnail and icon jobs use the shell objects: some under
// the thumbnail lock, all with the desktop folder and the Windows drive, on
// and on until told to end, and once more after that.
class TShellUsingJob : public TBasicWorkItem {
public:
  TShellUsingJob(TShutDownLog& log, bool underLock) : fLog(log), fUnderLock(underLock) {}

  void PerformWork() override {
    TCriticalSection* lock = fUnderLock ? ThumbnailLock : nullptr;
    if (lock != nullptr) {
      lock->Enter();
      ++fLog.Holding;
    }
    do {
      UseShellObjects();
    } while (!Terminated());
    UseShellObjects();
    if (lock != nullptr) {
      --fLog.Holding;
      if (ThumbnailLock == lock) lock->Leave();
    }
    ++fLog.Finished;
  }

protected:
  ~TShellUsingJob() override { ++fLog.Destroyed; }

private:
  void UseShellObjects() {
    // Only what is still there is used, so that a fault shows as a count.
    if (DesktopFolder == nullptr || (fUnderLock && ThumbnailLock == nullptr) || WindowsDriveRoot.empty()) {
      ++fLog.FoundGone;
      return;
    }
    TPidl drive(PathToItemIdList(nullptr, WindowsDriveRoot));
    TNsSystemImageList::GetIndexFromExtension(L"txt", si_small, false);
    Sleep(1);
  }

  TShutDownLog& fLog;
  bool fUnderLock;
};

// The pool stops first, its jobs ending while the shell objects are there;
// then the shell objects go.
TEST(GlobalWorkerPoolTest, ShutDownStopsRunningJobsBeforeTheShellObjectsGo) {
  TShutDownLog log;
  constexpr int kJobs = 40;
  {
    TShellLayer layer(GlobalWorkerPoolHooks());
    TWorkerThreadPool* pool = GlobalWorkerPool();
    for (int i = 0; i < kJobs; ++i) pool->AddWorkItem(new TShellUsingJob(log, i % 2 == 0));
    ASSERT_TRUE(PumpMessagesUntil([&] { return log.Holding == 1; }, 30000));
  }
  EXPECT_EQ(GlobalWorkerPool(), nullptr);
  EXPECT_EQ(log.FoundGone, 0);
  EXPECT_GE(log.Finished, 1);
  EXPECT_EQ(log.Destroyed, kJobs);  // run or discarded, every one released
}

// A job that never looks at its flag, stuck under the thumbnail lock: the
// pool kills its worker once its time is up, and shut-down goes on.
TEST(GlobalWorkerPoolTest, ShutDownKillsAWorkerStuckUnderTheThumbnailLock) {
  struct TStuckUnderLock : TBasicWorkItem {
    std::atomic<bool>& Holding;
    explicit TStuckUnderLock(std::atomic<bool>& holding) : Holding(holding) {}
    void PerformWork() override {
      ThumbnailLock->Enter();
      Holding = true;
      for (;;) Sleep(10);
    }
  };
  std::atomic<bool> holding{false};
  {
    TShellLayer layer(GlobalWorkerPoolHooks());
    GlobalWorkerPool()->SetMaxTimeUntilHardTerminate(300);
    GlobalWorkerPool()->AddWorkItem(new TStuckUnderLock(holding));
    ASSERT_TRUE(PumpMessagesUntil([&] { return holding.load(); }, 30000));
  }
  EXPECT_EQ(GlobalWorkerPool(), nullptr);
  EXPECT_EQ(ThumbnailLock, nullptr);
  // The layer starts again afterwards.
  TShellLayer again(GlobalWorkerPoolHooks());
  EXPECT_NE(GlobalWorkerPool(), nullptr);
}

}  // namespace
}  // namespace ts::test
