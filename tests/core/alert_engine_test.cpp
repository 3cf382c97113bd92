#include "core/alert_engine.h"

#include <cmath>

#include <gtest/gtest.h>

namespace tempyra {
namespace {

constexpr double kT0 = 1765000800;  // 2025-12-06 06:00:00 UTC
using S = ThermalState;
using Times = std::vector<double>;

AlertSettings on(double sustained = 60, double cooldown = 900) {
  AlertSettings s;
  s.enabled = true;
  s.sustained = sustained;
  s.cooldown = cooldown;
  return s;
}

bool feed(AlertEngine& e, const AlertSettings& s, S state, double t, double age = 0) {
  Reading r;
  r.timestamp = kT0 + t - age;
  r.state = state;
  return e.evaluate(r, s, kT0 + t, FixedOffsetCalendar(), 90);
}

// One reading every 5 s over [from, to] (seconds after kT0); the times at which it fired.
Times run(AlertEngine& e, const AlertSettings& s, S state, double from, double to) {
  Times fired;
  for (double t = from; t <= to; t += 5) {
    if (feed(e, s, state, t)) fired.push_back(t);
  }
  return fired;
}

TEST(AlertEngine, SustainedTimeAndCooldownWithTheirFloors) {
  const std::tuple<double, double, double, Times> cases[] = {
      {60, 900, 1000, {60, 960}},  // equality fires; again once the cool-down has passed
      {5, 900, 30, {10}},
      {std::nan(""), 900, 30, {10}},
      {10, 0, 140, {10, 70, 130}},
      {10, std::nan(""), 80, {10, 70}},
  };
  for (const auto& [sustained, cooldown, to, fired] : cases) {
    AlertEngine e;
    EXPECT_EQ(run(e, on(sustained, cooldown), S::serious, 0, to), fired)
        << sustained << "/" << cooldown;
  }
}

TEST(AlertEngine, RunRestarts) {
  AlertEngine escalation;  // serious then critical: the critical run must itself last
  EXPECT_EQ(run(escalation, on(), S::serious, 0, 50), Times{});
  EXPECT_EQ(run(escalation, on(), S::critical, 55, 200), Times{115});

  for (S cool : {S::nominal, S::fair, S::unknown}) {
    AlertEngine e;
    run(e, on(), S::serious, 0, 50);
    EXPECT_FALSE(feed(e, on(), cool, 55));
    EXPECT_EQ(run(e, on(), S::serious, 60, 200), Times{120}) << title(cool);
  }
  // A reading 90 s old still counts, 91 s old or from the future does not.
  for (const auto& [age, counts] : {std::pair{90.0, true}, {91.0, false}, {-1.0, false}}) {
    AlertEngine e;
    run(e, on(), S::serious, 0, 50);
    feed(e, on(), S::serious, 55, age);
    EXPECT_EQ(e.hotSince().has_value(), counts) << age;
  }
  AlertEngine back;  // the clock went back
  run(back, on(), S::serious, 100, 150);
  EXPECT_EQ(run(back, on(), S::serious, 0, 60), Times{60});
}

TEST(AlertEngine, SuppressionKeepsTrackingAndFiresWhenItEnds) {
  AlertSettings off = on(), snoozed = on(), quiet = on();
  off.enabled = false;
  snoozed.snoozeUntil = kT0 + 200;
  quiet.quietEnabled = true;
  quiet.quietStart = 5;  // kT0 is 06:00 UTC
  quiet.quietEnd = 7;
  for (const AlertSettings& s : {off, snoozed, quiet}) {
    AlertEngine e;
    EXPECT_EQ(run(e, s, S::serious, 0, 195), Times{});
    EXPECT_FALSE(e.lastAlert());
    EXPECT_EQ(run(e, on(), S::serious, 200, 205), Times{200});
  }
  // Snooze ending exactly now does not suppress; one second later does.
  for (double end : {100.0, 101.0}) {
    AlertEngine e;
    AlertSettings s = on();
    s.snoozeUntil = kT0 + end;
    run(e, s, S::serious, 0, 95);
    EXPECT_EQ(feed(e, s, S::serious, 100), end == 100.0);
  }
}

TEST(AlertEngine, CooldownSurvivesResetAndRestart) {
  AlertEngine e(kT0 - 100);
  EXPECT_EQ(run(e, on(), S::serious, 0, 900), Times{800});
  e.resetContinuity();
  EXPECT_EQ(e.lastAlert(), kT0 + 800);
  EXPECT_EQ(run(e, on(), S::serious, 905, 1800), Times{1700});
}

}  // namespace
}  // namespace tempyra
