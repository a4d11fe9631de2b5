#pragma once
// The benchmarks' clock and a busy wait of a given length.
#include <windows.h>

namespace ts::bench {

inline double Seconds() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Keeps the processor busy for about the given time.
inline void Spin(double microseconds) {
  const double end = Seconds() + microseconds / 1e6;
  volatile unsigned sink = 0;
  while (Seconds() < end) sink = sink + 1;
}

}  // namespace ts::bench
