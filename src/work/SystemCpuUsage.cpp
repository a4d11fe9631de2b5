// The system-wide processor load, from the kernel's idle time against the
// time of day, sampled at most every 200 ms (CpuUsageSampler.h).
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "work/CpuUsageSampler.h"
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

// One reading of the kernel's counters.
bool ReadProcessorTimes(TProcessorTimes& times) {
  TNtQuerySystemInformation query = QueryFunction();
  if (query == nullptr) return false;
  TSystemBasicInformation basic{};
  TSystemTimeOfDayInformation timeOfDay{};
  TSystemPerformanceInformation performance{};
  if (query(kSystemBasicInformation, &basic, sizeof basic, nullptr) != 0) return false;
  if (query(kSystemTimeOfDayInformation, &timeOfDay, sizeof timeOfDay, nullptr) != 0) return false;
  if (query(kSystemPerformanceInformation, &performance, sizeof performance, nullptr) != 0) return false;
  times.Processors = basic.NumberOfProcessors;
  times.IdleTime = performance.IdleTime.QuadPart;
  times.SystemTime = timeOfDay.CurrentTime.QuadPart;
  return true;
}

}  // namespace

int TWorkerThreadPool::GetCPUUsage() {
  static TCpuUsageSampler sampler(ReadProcessorTimes, [] { return static_cast<uint32_t>(GetTickCount()); });
  return sampler.Usage();
}

}  // namespace ts
