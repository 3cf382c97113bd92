#include "providers/demo_provider.h"

#include <gtest/gtest.h>

#include "core/model_json.h"

namespace tempyra {
namespace {

// The reading's JSON with every time stamp cleared.
std::string withoutTime(Reading r) {
  r.timestamp = r.cpu.timestamp = 0;
  for (auto& m : r.sensors) m.timestamp = 0;
  return *encodeJson(r);
}

TEST(DemoProvider, ReadingFollowsOnlyTimeAndSegment) {
  DemoProvider p;
  const Reading a = p.sample(1000, "one", true);
  p.reset();
  const Reading b = p.sample(2000.5, "one", true);
  EXPECT_EQ(withoutTime(a), withoutTime(b));
  for (const auto& m : b.sensors) EXPECT_EQ(m.timestamp, 2000.5);
  EXPECT_EQ(b.cpu.timestamp, 2000.5);
  EXPECT_EQ(p.sample(1000, "two", true).segment, "two");
  ASSERT_EQ(a.activity.size(), 2u);
  EXPECT_EQ(a.activity[0].id, 101);
  EXPECT_TRUE(p.sample(1000, "one", false).activity.empty());
}

TEST(DemoProvider, HistorySeed) {
  const double now = 1733500000;
  const DemoSeed seed = demoHistorySeed(now);
  ASSERT_EQ(seed.readings.size(), 120u);
  const std::tuple<int, double, const char*, double, ThermalState> cases[] = {
      // k, CPU load, power source (charging on AC), battery, state
      {0, 12, "Battery", 70, ThermalState::nominal},
      {44, 50, "Battery", 75, ThermalState::nominal},
      {45, 12, "Battery", 75, ThermalState::fair},
      {67, 31, "Battery", 78, ThermalState::fair},
      {68, 38, "Battery", 78, ThermalState::nominal},
      {70, 52, "AC power", 78, ThermalState::nominal},
      {119, 35, "AC power", 84, ThermalState::nominal},
  };
  for (const auto& [k, cpu, source, battery, state] : cases) {
    const Reading& r = seed.readings[static_cast<std::size_t>(k)];
    EXPECT_EQ(r.timestamp, now + 30.0 * (k - 120)) << k;
    EXPECT_EQ(r.sensors[2].timestamp, r.timestamp) << k;
    EXPECT_EQ(r.cpu.value, cpu) << k;
    EXPECT_TRUE((r.power == PowerContext{source, battery, k >= 70})) << k;
    EXPECT_EQ(r.state, state) << k;
    EXPECT_EQ(r.segment, "generated-demo");
  }
  ASSERT_EQ(seed.events.size(), 2u);
  EXPECT_EQ(seed.events[0].at, now - 1500);
  EXPECT_EQ(seed.events[0].kind, "Power");
  EXPECT_EQ(seed.events[1].at, now - 2100);
}

}  // namespace
}  // namespace tempyra
