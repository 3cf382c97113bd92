#include "providers/demo_provider.h"

#include <algorithm>

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
  EXPECT_EQ(a.activity.size(), 2u);
  EXPECT_TRUE(p.sample(1000, "one", false).activity.empty());
}

// The seed's power event sits at its first reading on AC power, and its readings end 30 s
// before now.
TEST(DemoProvider, HistorySeedEventsMatchItsReadings) {
  const double now = 1733500000;
  const DemoSeed seed = demoHistorySeed(now);
  EXPECT_EQ(seed.readings.back().timestamp, now - 30);
  ASSERT_EQ(seed.events.size(), 2u);
  EXPECT_EQ(seed.events[0].kind, EventKind::power);
  const auto firstOnAc = std::find_if(seed.readings.begin(), seed.readings.end(), [](const Reading& r) {
    return r.power.source == PowerSource::ac;
  });
  ASSERT_NE(firstOnAc, seed.readings.end());
  EXPECT_EQ(firstOnAc->timestamp, seed.events[0].at);
  EXPECT_EQ(seed.events[1].kind, EventKind::thermalState);
}

}  // namespace
}  // namespace tempyra
