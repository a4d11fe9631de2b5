// Throughput of the global worker pool against the platform's thread pool,
// each delivering every result to the main thread: jobs per second for a load
// of tiny jobs and for a load of jobs of about 50 microseconds each.
//
// And what cancelling costs the main thread, against queueing the same jobs:
// a control that refills cancels its whole group, then each of its items
// cancels by its own tag.
#include <windows.h>

#include "BenchClock.h"

#include <cstdio>

#include "shell/ShellStartup.h"
#include "toolkit/Application.h"
#include "work/GlobalWorkerPool.h"

namespace {

using namespace ts;
using ts::bench::Seconds;
using ts::bench::Spin;

constexpr UINT kResultMessage = WM_APP + 1;

int gDelivered = 0;

class TBenchJob : public TBasicWorkItem {
public:
  explicit TBenchJob(double workMicroseconds) : fWork(workMicroseconds) { fOnWorkDone = [] { ++gDelivered; }; }
  void PerformWork() override {
    if (fWork > 0) Spin(fWork);
  }

private:
  double fWork;
};

void PumpUntilDelivered(int count) {
  MSG msg;
  while (gDelivered < count && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == nullptr && msg.message == kResultMessage) {
      ++gDelivered;
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

double RunWorkerPool(int jobs, double workMicroseconds) {
  gDelivered = 0;
  TWorkerThreadPool* pool = GlobalWorkerPool();
  const double start = Seconds();
  for (int i = 0; i < jobs; ++i) pool->AddWorkItem(new TBenchJob(workMicroseconds));
  PumpUntilDelivered(jobs);
  return jobs / (Seconds() - start);
}

struct TPlatformJob {
  DWORD MainThread;
  double Work;
};

void CALLBACK PlatformCallback(PTP_CALLBACK_INSTANCE, void* context) {
  auto* job = static_cast<TPlatformJob*>(context);
  if (job->Work > 0) Spin(job->Work);
  while (!PostThreadMessageW(job->MainThread, kResultMessage, 0, 0)) Sleep(0);  // queue full: wait
}

double RunPlatformPool(int jobs, double workMicroseconds) {
  gDelivered = 0;
  TPlatformJob job{GetCurrentThreadId(), workMicroseconds};
  const double start = Seconds();
  for (int i = 0; i < jobs; ++i)
    if (!TrySubmitThreadpoolCallback(PlatformCallback, &job, nullptr)) return 0;
  PumpUntilDelivered(jobs);
  return jobs / (Seconds() - start);
}

void Compare(const char* load, int jobs, double workMicroseconds) {
  // A short warm-up of each, so that neither pays for starting its threads.
  RunWorkerPool(jobs / 10, workMicroseconds);
  RunPlatformPool(jobs / 10, workMicroseconds);
  const double ours = RunWorkerPool(jobs, workMicroseconds);
  const double platform = RunPlatformPool(jobs, workMicroseconds);
  std::printf("%-28s worker pool %10.0f jobs/s   platform pool %10.0f jobs/s   ratio %.2f\n", load, ours, platform,
              platform > 0 ? ours / platform : 0.0);
}

class TQueuedJob : public TBasicWorkItem {
public:
  TQueuedJob(TWorkTag tag, TWorkTag group) {
    SetTag(tag);
    SetGroupTag(group);
  }
  void PerformWork() override {}
};

// A pool without workers, so that every job stays queued.
struct TIdlePool {
  TWorkerThreadPool Pool;
  TIdlePool() { Pool.SetMaxRunningThreads(0); }
  // Seconds to queue count jobs of one group, each with a tag of its own.
  double Queue(int count, TWorkTag group, TWorkTag firstTag) {
    const double start = Seconds();
    for (int i = 0; i < count; ++i) Pool.AddWorkItem(new TQueuedJob(firstTag + i, group));
    return Seconds() - start;
  }
};

void CompareCancels(int count) {
  TIdlePool idle;
  constexpr TWorkTag kGroup = 1, kOtherGroup = 2;
  // Another control's jobs stay queued throughout.
  idle.Queue(count, kOtherGroup, 1000000);
  const double queueing = idle.Queue(count, kGroup, 1);

  double start = Seconds();
  const int removed = idle.Pool.TerminateWorkItems(0, kGroup);
  const double groupCancel = Seconds() - start;

  start = Seconds();
  for (int i = 0; i < count; ++i) idle.Pool.TerminateWorkItems(1 + i);
  const double emptyTagCancels = Seconds() - start;

  // The worst case: every item cancels while its own job is still queued.
  idle.Queue(count, kGroup, 1);
  start = Seconds();
  for (int i = 0; i < count; ++i) idle.Pool.TerminateWorkItems(1 + i);
  const double queuedTagCancels = Seconds() - start;

  std::printf("queueing %d jobs (baseline)          %8.2f ms\n", count, queueing * 1e3);
  std::printf("one group cancel of %d queued jobs  %8.2f ms   ratio %.2f   (%d removed)\n", count,
              groupCancel * 1e3, groupCancel / queueing, removed);
  std::printf("%d tag cancels, nothing queued       %8.2f ms   ratio %.2f\n", count, emptyTagCancels * 1e3,
              emptyTagCancels / queueing);
  std::printf("%d tag cancels, each job queued      %8.2f ms   ratio %.2f\n", count, queuedTagCancels * 1e3,
              queuedTagCancels / queueing);
}

}  // namespace

int wmain() {
  TShellLayer layer(GlobalWorkerPoolHooks());
  Application->GetHandle();
  // Make sure the main thread has a message queue before results are posted.
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  std::printf("processors: %d, worker pool minimum %d, maximum %d\n", ProcessorCount(),
              GlobalWorkerPool()->GetMinWorkerThreads(), GlobalWorkerPool()->GetMaxRunningThreads());
  Compare("100000 tiny jobs", 100000, 0);
  Compare("10000 jobs of 50 us", 10000, 50);
  CompareCancels(10000);
  return 0;
}
