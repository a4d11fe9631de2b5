#include "work/CpuUsageSampler.h"

#include <cmath>

namespace ts {

TCpuUsageSampler::TCpuUsageSampler(TReadTimes read, TTickCount tickCount)
    : fRead(std::move(read)), fTickCount(std::move(tickCount)) {}

double TCpuUsageSampler::Compute() {
  TProcessorTimes sample;
  if (!fRead(sample)) return -1;
  const TProcessorTimes previous = fPrevious;
  const bool hadPrevious = fHasPrevious;
  fPrevious = sample;
  fHasPrevious = true;
  if (!hadPrevious) return -2;
  const int processors = sample.Processors > 0 ? sample.Processors : 1;
  const double systemDelta = static_cast<double>(sample.SystemTime - previous.SystemTime);
  if (systemDelta == 0) return 100;
  const double idleDelta = static_cast<double>(sample.IdleTime - previous.IdleTime);
  return 100.0 - idleDelta / systemDelta * 100.0 / processors + 0.5;
}

int TCpuUsageSampler::Usage() {
  std::lock_guard<std::mutex> guard(fLock);
  const uint32_t now = fTickCount();
  if (!fComputed || now - fLastComputation > 200) {
    double usage = Compute();
    // The first reading has nothing to compare with: take a second at once.
    if (usage == -2) usage = Compute();
    fUsage = usage;
    fLastComputation = now;
    fComputed = true;
  }
  // The nearest integer, halves to even.
  const double value = std::nearbyint(fUsage);
  if (value < 0) return 0;
  if (value > 100) return 100;
  return static_cast<int>(value);
}

}  // namespace ts
