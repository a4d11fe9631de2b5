#pragma once
// Jobs for the pool's tests: each records where and in which order it ran,
// may wait at a gate, may raise, and reports its result on the main thread.
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "work/WorkItem.h"

namespace ts::test {

// What the jobs of one test share.
struct TJobLog {
  std::mutex Lock;
  std::vector<int> Started;    // job numbers, in the order they started
  std::vector<int> Delivered;  // job numbers whose result reached the main thread
  std::vector<DWORD> DeliveryThreads;
  std::atomic<int> Destroyed{0};

  std::vector<int> StartedCopy() {
    std::lock_guard<std::mutex> guard(Lock);
    return Started;
  }
};

// A gate jobs wait at until it opens.
class TGate {
public:
  TGate() : fEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~TGate() { CloseHandle(fEvent); }
  TGate(const TGate&) = delete;
  TGate& operator=(const TGate&) = delete;
  void Open() { SetEvent(fEvent); }
  // Answers false when the job was told to end while it waited.
  bool Pass(TBasicWorkItem& job) {
    while (WaitForSingleObject(fEvent, 5) == WAIT_TIMEOUT)
      if (job.TerminatedFlag().load()) return false;
    return true;
  }

private:
  HANDLE fEvent;
};

class TTestJob : public TBasicWorkItem {
  TS_CLASS(TTestJob, TBasicWorkItem)

public:
  TTestJob(TJobLog& log, int number, TWorkTag tag = 0, TWorkTag groupTag = 0, TGate* gate = nullptr)
      : fLog(log), fNumber(number), fGate(gate) {
    SetTag(tag);
    SetGroupTag(groupTag);
    fOnWorkDone = [this] { Deliver(); };
  }

  void PerformWork() override {
    {
      std::lock_guard<std::mutex> guard(fLog.Lock);
      fLog.Started.push_back(fNumber);
    }
    fRunning = true;
    if (fGate) fGate->Pass(*this);
    if (Raise) throw std::runtime_error("the job failed");
  }

  int Number() const noexcept { return fNumber; }

  std::atomic<bool> fRunning{false};
  bool Raise = false;

protected:
  ~TTestJob() override { ++fLog.Destroyed; }

  void Deliver() {
    if (Terminated()) return;
    fLog.Delivered.push_back(fNumber);
    fLog.DeliveryThreads.push_back(GetCurrentThreadId());
  }

  TJobLog& fLog;
  int fNumber;
  TGate* fGate;
};

// A job of a derived class, for the class filters.
class TDerivedTestJob : public TTestJob {
  TS_CLASS(TDerivedTestJob, TTestJob)

public:
  using TTestJob::TTestJob;
};

}  // namespace ts::test
