#pragma once
// The system-wide processor load in percent from two readings of the
// kernel's counters (idle time against the time of day), sampled at most
// every 200 ms and cached in between. The readings and the clock are given,
// so that the arithmetic can be checked on figures of one's own.
#include <cstdint>
#include <functional>
#include <mutex>

namespace ts {

// One reading: the processor count, the idle time summed over all
// processors and the time of day, both in 100 ns units.
struct TProcessorTimes {
  int Processors = 1;
  int64_t IdleTime = 0;
  int64_t SystemTime = 0;
};

class TCpuUsageSampler {
public:
  // read answers false when a query fails; tickCount is in milliseconds.
  using TReadTimes = std::function<bool(TProcessorTimes& times)>;
  using TTickCount = std::function<uint32_t()>;

  TCpuUsageSampler(TReadTimes read, TTickCount tickCount);

  // 0 to 100; a failed reading gives 0.
  int Usage();

private:
  // Against the previous reading: -1 when the reading failed, -2 when there
  // was no previous reading to compare with.
  double Compute();

  TReadTimes fRead;
  TTickCount fTickCount;
  std::mutex fLock;
  bool fHasPrevious = false;
  TProcessorTimes fPrevious;
  bool fComputed = false;
  uint32_t fLastComputation = 0;
  double fUsage = 0;
};

}  // namespace ts
