#include "core/alert_engine.h"

#include <cmath>

#include <gtest/gtest.h>

namespace tempyra {
namespace {

constexpr double kT0 = 1765000800;  // 2025-12-06 06:00:00 UTC
constexpr double kFresh = 90;

using S = ThermalState;

Reading reading(double at, S state) {
  Reading r;
  r.timestamp = at;
  r.state = state;
  return r;
}

AlertSettings enabled(double sustained = 60, double cooldown = 900) {
  AlertSettings s;
  s.enabled = true;
  s.sustained = sustained;
  s.cooldown = cooldown;
  return s;
}

// Feeds one reading of `state` every `step` seconds over [from, to] (offsets from kT0) and
// returns the offsets at which the engine fired.
std::vector<double> run(AlertEngine& e, const AlertSettings& s, S state, double from, double to,
                        double step = 5) {
  const FixedOffsetCalendar utc;
  std::vector<double> fired;
  for (double t = from; t <= to; t += step) {
    if (e.evaluate(reading(kT0 + t, state), s, kT0 + t, utc, kFresh)) fired.push_back(t);
  }
  return fired;
}

TEST(AlertEngine, SustainedAndCooldown) {
  struct Case {
    double sustained, cooldown;
    double to;
    std::vector<double> fired;
  };
  const Case cases[] = {
      {60, 900, 1000, {60, 960}},  // equality fires; next alert once the cool-down has passed
      {5, 900, 30, {10}},          // sustained below 10 s counts as 10
      {std::nan(""), 900, 30, {10}},
      {10, 0, 200, {10, 70, 130, 190}},  // cool-down below 60 s counts as 60
      {10, std::nan(""), 80, {10, 70}},
  };
  for (const auto& c : cases) {
    AlertEngine e;
    EXPECT_EQ(run(e, enabled(c.sustained, c.cooldown), S::serious, 0, c.to), c.fired)
        << c.sustained << "/" << c.cooldown;
  }
}

TEST(AlertEngine, EscalationRestartsTheRun) {
  AlertEngine e;
  EXPECT_TRUE(run(e, enabled(), S::serious, 0, 50).empty());
  EXPECT_EQ(run(e, enabled(), S::critical, 55, 200), std::vector<double>{115});
  EXPECT_EQ(e.hotSince(), kT0 + 55);
  EXPECT_EQ(e.lastState(), S::critical);
}

TEST(AlertEngine, NonHotOrStaleReadingRestartsTheRun) {
  const FixedOffsetCalendar utc;
  for (S cool : {S::nominal, S::fair, S::unknown}) {
    AlertEngine e;
    run(e, enabled(), S::serious, 0, 50);
    EXPECT_FALSE(e.evaluate(reading(kT0 + 55, cool), enabled(), kT0 + 55, utc, kFresh));
    EXPECT_FALSE(e.hotSince());
    EXPECT_EQ(run(e, enabled(), S::serious, 60, 200), std::vector<double>{120}) << title(cool);
  }
  struct Case {
    double readingAge;
    bool counts;
  };
  for (const Case c : {Case{90, true}, Case{91, false}, Case{-1, false}}) {
    AlertEngine e;
    run(e, enabled(), S::serious, 0, 50);
    const double now = kT0 + 55;
    e.evaluate(reading(now - c.readingAge, S::serious), enabled(), now, utc, kFresh);
    EXPECT_EQ(e.hotSince().has_value(), c.counts) << c.readingAge;
  }
}

TEST(AlertEngine, SuppressionKeepsTrackingAndFiresWhenItEnds) {
  const FixedOffsetCalendar utc;
  struct Case {
    const char* what;
    AlertSettings suppressed;
  };
  AlertSettings off = enabled();
  off.enabled = false;
  AlertSettings snoozed = enabled();
  snoozed.snoozeUntil = kT0 + 200;
  AlertSettings quiet = enabled();
  quiet.quietEnabled = true;
  quiet.quietStart = 5;  // kT0 is 06:00 UTC
  quiet.quietEnd = 7;
  for (const auto& c : {Case{"disabled", off}, Case{"snoozed", snoozed}, Case{"quiet", quiet}}) {
    AlertEngine e;
    EXPECT_TRUE(run(e, c.suppressed, S::serious, 0, 195).empty()) << c.what;
    EXPECT_EQ(e.hotSince(), kT0) << c.what;
    EXPECT_FALSE(e.lastAlert()) << c.what;
    EXPECT_EQ(run(e, enabled(), S::serious, 200, 205), std::vector<double>{200}) << c.what;
  }
  // Snooze ending exactly now does not suppress; one second later does.
  for (double snoozeEnd : {100.0, 101.0}) {
    AlertEngine e;
    AlertSettings s = enabled();
    s.snoozeUntil = kT0 + snoozeEnd;
    run(e, s, S::serious, 0, 95);
    EXPECT_EQ(e.evaluate(reading(kT0 + 100, S::serious), s, kT0 + 100, utc, kFresh),
              snoozeEnd == 100.0);
  }
}

TEST(AlertEngine, CooldownSurvivesResetAndRestart) {
  AlertEngine e(kT0 - 100);  // alerted 100 s before the run
  EXPECT_EQ(run(e, enabled(), S::serious, 0, 900), std::vector<double>{800});
  e.resetContinuity();
  EXPECT_EQ(e.lastAlert(), kT0 + 800);
  EXPECT_FALSE(e.hotSince());
  EXPECT_FALSE(e.lastState());
  EXPECT_EQ(run(e, enabled(), S::serious, 905, 1800), std::vector<double>{1700});
}

TEST(AlertEngine, ClockGoingBackRestartsTheRun) {
  AlertEngine e;
  run(e, enabled(), S::serious, 100, 150);
  EXPECT_EQ(run(e, enabled(), S::serious, 0, 60), std::vector<double>{60});
}

}  // namespace
}  // namespace tempyra
