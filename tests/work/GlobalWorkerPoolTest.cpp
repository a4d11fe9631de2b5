// The global pool lives exactly as long as the shell layer.
#include <gtest/gtest.h>

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
    ASSERT_TRUE(PumpMessagesUntil([&] { return !pool->WorkActive(); }));
    EXPECT_EQ(apartment, S_FALSE);

    // Jobs still queued at shut-down are discarded with the pool.
    for (int i = 0; i < 20; ++i) pool->AddWorkItem(new TTestJob(log, i, 0, 0, &gate));
  }
  EXPECT_EQ(GlobalWorkerPool(), nullptr);
  EXPECT_EQ(log.Destroyed, 20);
}

}  // namespace
}  // namespace ts::test
