// The tray figure: its colour, gauge, glyph and figure for every mode and state, the unit always
// there, and ink that reads on every badge.
#include <gtest/gtest.h>

#include <cmath>

#include "ui/logic/tray_face.h"

namespace tempyra {
namespace {

constexpr double kNow = 1'800'000'000;

Metric metricAged(MetricKind kind, std::optional<double> value, const char* unit, double age) {
  return Metric(kind, "", value, unit, "s", kNow - age, "Measured");
}

TEST(TrayFace, EveryModeAndState) {
  struct Case {
    MenuMode mode;
    std::optional<ThermalState> state;  // none: no reading yet
    std::optional<double> cpu;
    double sensorAge;
    bool stale;
    Tint tint;
    bool slashed;
    int level;
    const char* figure;
  };
  using S = ThermalState;
  const Case cases[] = {
      {MenuMode::mixed, std::nullopt, 12.4, 0, true, Tint::grey, true, 0, ""},
      {MenuMode::numerical, S::critical, 12.4, 0, true, Tint::grey, true, 0, ""},
      {MenuMode::iconOnly, S::serious, 12.4, 0, false, Tint::orange, false, 3, ""},
      {MenuMode::thermalState, S::fair, 12.4, 0, false, Tint::yellow, false, 2, ""},
      {MenuMode::cpuTemperature, S::nominal, 12.4, 0, false, Tint::green, false, 1, "110°"},
      {MenuMode::cpuTemperature, S::nominal, 12.4, 95.5, false, Tint::green, false, 1, ""},
      {MenuMode::numerical, S::fair, 37.4, 0, false, Tint::yellow, false, 2, "37%"},
      {MenuMode::numerical, S::nominal, std::nullopt, 0, false, Tint::green, false, 1, ""},
      {MenuMode::numerical, S::nominal, -0.2, 0, false, Tint::green, false, 1, "0%"},
      {MenuMode::mixed, S::critical, 99.6, 0, false, Tint::red, false, 4, "100%"},
      {MenuMode::mixed, S::unknown, 100, 0, false, Tint::secondary, false, 0, "100%"},
      {MenuMode::mixed, S::serious, std::nan(""), 0, false, Tint::orange, false, 3, ""},
  };
  for (const Case& c : cases) {
    std::optional<Reading> r;
    if (c.state) {
      r.emplace();
      r->state = *c.state;
      r->cpu = metricAged(MetricKind::cpuLoad, c.cpu, "%", 0);
      r->sensors = {metricAged(MetricKind::cpuTemperature, 43.2, "°C", c.sensorAge)};
    }
    const TrayFace face = trayFace(r, c.mode, {TemperatureUnit::fahrenheit, c.stale, kNow});
    const std::string what = std::to_string(static_cast<int>(c.mode)) + " " + c.figure;
    EXPECT_EQ(face.tint, c.tint) << what;
    EXPECT_EQ(face.slashed, c.slashed) << what;
    EXPECT_EQ(face.level, c.level) << what;
    EXPECT_EQ(face.figure, c.figure) << what;
    // The figure is its digits and a unit, never a bare number.
    if (!face.figure.empty()) {
      EXPECT_GT(face.figure.size(), face.digits.size()) << what;
    }
  }
}

TEST(TrayFace, InkReadsOnEveryBadge) {
  for (Tint t : {Tint::green, Tint::yellow, Tint::orange, Tint::red, Tint::secondary, Tint::grey}) {
    // Bold text this size needs 3:1.
    EXPECT_GE(contrastRatio(trayBadgeColour(t), trayInkColour(t)), 3.0) << static_cast<int>(t);
  }
}

}  // namespace
}  // namespace tempyra
