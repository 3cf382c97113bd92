#include "providers/demo_provider.h"

#include <gtest/gtest.h>

#include "core/model_json.h"

namespace tempyra {
namespace {

// The JSON text with every time stamp equal to `at` rewritten, so two readings can be compared
// apart from their time stamps.
std::string withoutTime(Reading r) {
  r.timestamp = 0;
  r.cpu.timestamp = 0;
  for (auto& m : r.sensors) m.timestamp = 0;
  return *encodeJson(r);
}

TEST(DemoProvider, ReadingFollowsOnlyTimeAndSegment) {
  DemoProvider p;
  const Reading a = p.sample(1000, "one", true);
  p.reset();
  const Reading b = p.sample(2000.5, "one", true);
  EXPECT_EQ(withoutTime(a), withoutTime(b));
  EXPECT_EQ(b.timestamp, 2000.5);
  EXPECT_EQ(b.cpu.timestamp, 2000.5);
  for (const auto& m : b.sensors) EXPECT_EQ(m.timestamp, 2000.5);
  EXPECT_EQ(p.sample(1000, "two", true).segment, "two");

  EXPECT_EQ(a.state, ThermalState::nominal);
  EXPECT_EQ(a.cpu.value, 18.4);
  ASSERT_EQ(a.sensors.size(), 3u);
  EXPECT_EQ(a.sensors[0].name, "CPU temperature");
  EXPECT_EQ(a.sensors[2].value, 1200.0);
  EXPECT_TRUE((a.power == PowerContext{"AC power", 84.0, true}));
  ASSERT_EQ(a.activity.size(), 2u);
  EXPECT_EQ(a.activity[0].id, 101);
  EXPECT_EQ(a.activity[1].id, 102);
  EXPECT_TRUE(p.sample(1000, "one", false).activity.empty());
  EXPECT_EQ(p.profile().capabilities.size(), 4u);
  EXPECT_EQ(p.profile().capabilities.at("CPU/GPU temperature"),
            "Generated example; hardware support varies");
}

TEST(DemoProvider, HistorySeedValues) {
  const double now = 1733500000;
  const DemoSeed seed = demoHistorySeed(now);
  ASSERT_EQ(seed.readings.size(), 120u);
  struct Case {
    int k;
    double cpu;
    const char* source;
    double battery;
    bool charging;
    ThermalState state;
  };
  const Case cases[] = {
      {0, 12, "Battery", 70, false, ThermalState::nominal},
      {7, 16, "Battery", 70, false, ThermalState::nominal},
      {44, 12 + (7 * 44) % 45, "Battery", 75, false, ThermalState::nominal},  // i = -76
      {45, 12 + (7 * 45) % 45, "Battery", 75, false, ThermalState::fair},     // i = -75
      {67, 12 + (7 * 67) % 45, "Battery", 78, false, ThermalState::fair},     // i = -53
      {68, 12 + (7 * 68) % 45, "Battery", 78, false, ThermalState::nominal},  // i = -52
      {69, 12 + (7 * 69) % 45, "Battery", 78, false, ThermalState::nominal},
      {70, 12 + (7 * 70) % 45, "AC power", 78, true, ThermalState::nominal},
      {119, 12 + (7 * 119) % 45, "AC power", 84, true, ThermalState::nominal},
  };
  for (const auto& c : cases) {
    const Reading& r = seed.readings[static_cast<std::size_t>(c.k)];
    EXPECT_EQ(r.timestamp, now + 30.0 * (c.k - 120)) << c.k;
    EXPECT_EQ(r.cpu.value, c.cpu) << c.k;
    EXPECT_EQ(r.power.source, c.source) << c.k;
    EXPECT_EQ(r.power.battery, c.battery) << c.k;
    EXPECT_EQ(r.power.charging, c.charging) << c.k;
    EXPECT_EQ(r.state, c.state) << c.k;
    EXPECT_EQ(r.segment, "generated-demo");
    EXPECT_EQ(r.activity.size(), 2u);
    for (const auto& m : r.sensors) EXPECT_EQ(m.timestamp, r.timestamp);
  }
  int fair = 0;
  for (const auto& r : seed.readings) fair += r.state == ThermalState::fair;
  EXPECT_EQ(fair, 23);
  ASSERT_EQ(seed.events.size(), 2u);
  EXPECT_EQ(seed.events[0].at, now - 1500);
  EXPECT_EQ(seed.events[0].kind, "Power");
  EXPECT_EQ(seed.events[1].at, now - 2100);
  EXPECT_EQ(seed.events[1].detail, "Example elevated pressure during an export");
}

}  // namespace
}  // namespace tempyra
