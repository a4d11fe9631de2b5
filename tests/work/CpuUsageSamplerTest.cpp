// The processor load from the kernel's counters, on readings and a clock the
// test gives.
#include <gtest/gtest.h>

#include <deque>

#include "work/CpuUsageSampler.h"

namespace ts::test {
namespace {

struct TScriptedCounters {
  std::deque<TProcessorTimes> Readings;  // an empty one fails
  int Reads = 0;
  uint32_t Tick = 5000;

  TCpuUsageSampler Sampler() {
    return TCpuUsageSampler(
        [this](TProcessorTimes& times) {
          ++Reads;
          if (Readings.empty()) return false;
          times = Readings.front();
          Readings.pop_front();
          return true;
        },
        [this] { return Tick; });
  }
};

TEST(CpuUsageSamplerTest, TheFirstSampleIsTakenTwiceAndLaterOnesAtMostEvery200Ms) {
  TScriptedCounters counters;
  // Two processors, 1 s of time of day (10^7 units): idle 1.5 s of the 2 s
  // the processors had, so 25 % busy (+ 0.5, to the nearest: 26).
  counters.Readings = {{2, 0, 0}, {2, 15000000, 10000000}, {2, 15000000, 20000000}};
  TCpuUsageSampler sampler = counters.Sampler();
  EXPECT_EQ(sampler.Usage(), 26);
  EXPECT_EQ(counters.Reads, 2);
  counters.Tick += 200;  // not more than 200 ms: the cached figure
  EXPECT_EQ(sampler.Usage(), 26);
  EXPECT_EQ(counters.Reads, 2);
  counters.Tick += 1;
  // No idle time in the next second: fully busy.
  EXPECT_EQ(sampler.Usage(), 100);
  EXPECT_EQ(counters.Reads, 3);
}

TEST(CpuUsageSamplerTest, EdgesOfTheArithmetic) {
  TScriptedCounters counters;
  TCpuUsageSampler sampler = counters.Sampler();
  counters.Readings = {{1, 0, 0}, {1, 10000000, 10000000}};  // idle throughout
  EXPECT_EQ(sampler.Usage(), 0);                               // 0.5 to the nearest even: 0
  counters.Tick += 201;
  counters.Readings = {{1, 10000000, 10000000}};  // no time has passed
  EXPECT_EQ(sampler.Usage(), 100);
  counters.Tick += 201;
  counters.Readings = {{1, 10000000 + 2 * 10000000, 20000000}};  // more idle than time: below 0
  EXPECT_EQ(sampler.Usage(), 0);
  counters.Tick += 201;
  counters.Readings = {{1, 30000000 + 4000000, 30000000}};  // 60 % busy, + 0.5
  EXPECT_EQ(sampler.Usage(), 60);
  // The clock wrapping around still counts as time passed.
  counters.Tick = 100;
  counters.Readings = {{1, 34000000 + 2500000, 40000000}};  // 75 % busy, + 0.5
  EXPECT_EQ(sampler.Usage(), 76);
}

TEST(CpuUsageSamplerTest, AFailedQueryGivesZero) {
  TScriptedCounters counters;
  TCpuUsageSampler sampler = counters.Sampler();
  EXPECT_EQ(sampler.Usage(), 0);
  EXPECT_EQ(counters.Reads, 1);  // no second try after a failure
  counters.Tick += 201;
  counters.Readings = {{1, 0, 0}};  // a first reading, then a failure
  EXPECT_EQ(sampler.Usage(), 0);
  EXPECT_EQ(counters.Reads, 3);
}

}  // namespace
}  // namespace ts::test
