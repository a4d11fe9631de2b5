// The system-wide processor load, from the kernel's idle time against the
// time of day, sampled at most every 200 ms.
#include <windows.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "toolkit/CriticalSection.h"
#include "work/WorkerThreadPool.h"

namespace ts {

namespace {

using TNtQuerySystemInformation = LONG(WINAPI*)(ULONG infoClass, void* buffer, ULONG length, ULONG* returned);

constexpr ULONG kSystemBasicInformation = 0;
constexpr ULONG kSystemPerformanceInformation = 2;
constexpr ULONG kSystemTimeOfDayInformation = 3;

// The kernel's layouts; their sizes differ between 32-bit and 64-bit code
// (44 and 64 bytes for the basic record).
struct TSystemBasicInformation {
  ULONG Reserved;
  ULONG TimerResolution;
  ULONG PageSize;
  ULONG NumberOfPhysicalPages;
  ULONG LowestPhysicalPageNumber;
  ULONG HighestPhysicalPageNumber;
  ULONG AllocationGranularity;
  ULONG_PTR MinimumUserModeAddress;
  ULONG_PTR MaximumUserModeAddress;
  ULONG_PTR ActiveProcessorsAffinityMask;
  CCHAR NumberOfProcessors;
};
static_assert(sizeof(void*) != 4 || (offsetof(TSystemBasicInformation, NumberOfProcessors) == 40 &&
                                     sizeof(TSystemBasicInformation) == 44),
              "the 32-bit record has the kernel's layout");

struct TSystemTimeOfDayInformation {
  LARGE_INTEGER BootTime;
  LARGE_INTEGER CurrentTime;
  LARGE_INTEGER TimeZoneBias;
  ULONG TimeZoneId;
  ULONG Reserved;
};
static_assert(sizeof(TSystemTimeOfDayInformation) == 32);

// Only the idle time at its start is read; the record is larger on newer systems.
struct TSystemPerformanceInformation {
  LARGE_INTEGER IdleTime;
  BYTE Rest[320];
};
static_assert(sizeof(TSystemPerformanceInformation) == 328);

TNtQuerySystemInformation QueryFunction() {
  static const auto function = reinterpret_cast<TNtQuerySystemInformation>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  return function;
}

struct TLoadSample {
  bool Valid = false;
  int64_t IdleTime = 0;
  int64_t SystemTime = 0;
};

TCriticalSection gSampleLock;
TLoadSample gPrevious;
double gUsage = 0;
DWORD gLastComputation = 0;
bool gComputed = false;

// One computation against the previous sample; -1 when a query fails.
double ComputeUsage() {
  TNtQuerySystemInformation query = QueryFunction();
  if (query == nullptr) return -1;
  TSystemBasicInformation basic{};
  TSystemTimeOfDayInformation timeOfDay{};
  TSystemPerformanceInformation performance{};
  if (query(kSystemBasicInformation, &basic, sizeof basic, nullptr) != 0) return -1;
  if (query(kSystemTimeOfDayInformation, &timeOfDay, sizeof timeOfDay, nullptr) != 0) return -1;
  if (query(kSystemPerformanceInformation, &performance, sizeof performance, nullptr) != 0) return -1;
  const TLoadSample sample{true, performance.IdleTime.QuadPart, timeOfDay.CurrentTime.QuadPart};
  const TLoadSample previous = gPrevious;
  gPrevious = sample;
  if (!previous.Valid) return -2;
  const int processors = basic.NumberOfProcessors > 0 ? basic.NumberOfProcessors : 1;
  const double systemDelta = static_cast<double>(sample.SystemTime - previous.SystemTime);
  if (systemDelta == 0) return 100;
  const double idleDelta = static_cast<double>(sample.IdleTime - previous.IdleTime);
  return 100.0 - idleDelta / systemDelta * 100.0 / processors + 0.5;
}

}  // namespace

int TWorkerThreadPool::GetCPUUsage() {
  TCriticalSectionLock lock(gSampleLock);
  const DWORD now = GetTickCount();
  if (!gComputed || now - gLastComputation > 200) {
    double usage = ComputeUsage();
    // The first sample has nothing to compare with: take a second at once.
    if (usage == -2) usage = ComputeUsage();
    gUsage = usage;
    gLastComputation = now;
    gComputed = true;
  }
  // The half added above rounds; truncate to keep it a rounding.
  const double value = std::floor(gUsage);
  if (value < 0) return 0;
  if (value > 100) return 100;
  return static_cast<int>(value);
}

}  // namespace ts
