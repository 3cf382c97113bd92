// Menu-bar title and value display.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/app/fakes.h"

namespace tempyra::testing {
namespace {

struct Displayed : ::testing::Test {
  Rig rig;
  std::unique_ptr<Monitor> m;
  void startWith(const std::string& menu, const std::string& unit = "Celsius") {
    Preferences p;
    p.menu = menu;
    p.unit = unit;
    rig.defaults->setBytes(kPreferencesKey, *encodeJson(p));
    m = rig.start();
  }
};

TEST_F(Displayed, TitleForEveryMenuMode) {
  struct Case {
    const char* menu;
    ThermalState state;
    std::optional<double> cpu;
    const char* title;
  };
  const Case cases[] = {
      {"Icon only", ThermalState::nominal, 12.4, ""},
      {"Thermal state", ThermalState::serious, 12.4, "Serious"},
      {"CPU temperature", ThermalState::nominal, 12.4, "CPU 43.2 \u00B0C"},
      {"Numerical", ThermalState::nominal, 37.4, "CPU 37%"},
      {"Numerical", ThermalState::nominal, std::nullopt, "CPU \u2014"},
      {"Mixed", ThermalState::nominal, 12.4, "Nominal \u00B7 12% CPU"},
      {"Mixed", ThermalState::fair, std::nullopt, "Fair \u00B7 CPU \u2014"},
      {"mixed", ThermalState::critical, 99.6, "Critical \u00B7 100% CPU"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.menu);
    rig.script->state = c.state;
    rig.script->cpu = c.cpu;
    startWith(c.menu);
    EXPECT_EQ(m->menuTitle(), c.title);
  }
}

TEST_F(Displayed, TitleWithoutCurrentReading) {
  struct Case {
    const char* menu;
    const char* title;
  };
  for (const Case& c : {Case{"Mixed", "Paused"}, Case{"Icon only", ""},
                        Case{"Thermal state", "Paused"}}) {
    startWith(c.menu);
    rig.clock->advance(95.5);  // the reading is now stale
    EXPECT_EQ(m->menuTitle(), c.title);
  }
}

TEST_F(Displayed, OldCpuTemperatureShowsNotAvailableInAFreshReading) {
  startWith("CPU temperature");
  Reading r = *m->reading();
  EXPECT_FALSE(m->stale());
  Metric old = r.sensors[0];
  old.timestamp -= 95.5;
  EXPECT_EQ(m->display(old), "Not available");
}

TEST_F(Displayed, ValueFormattingAndHiding) {
  startWith("Mixed", "Fahrenheit");
  const double now = rig.clock->now();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    Metric metric;
    const char* shown;
  };
  const Case cases[] = {
      {Metric("CPU temperature", 43.2, "\u00B0C", "s", now, "Measured"), "109.8 \u00B0F"},
      {Metric("Fan", 1200, "RPM", "s", now, "Measured"), "1200.0 RPM"},
      {Metric("Load", 12.44, "%", "s", now - 95, "Measured"), "12.4 %"},
      {Metric("Fan", std::nullopt, "RPM", "s", now, "Measured"), "Not available"},
      {Metric("Fan", inf, "RPM", "s", now, "Measured"), "Not available"},
      {Metric("Fan", std::nan(""), "RPM", "s", now, "Measured"), "Not available"},
      {Metric("Fan", 1, "RPM", "s", now + 3, "Measured"), "Not available"},
      {Metric("Fan", 1, "RPM", "s", now - 95.5, "Measured"), "Not available"},
  };
  for (const Case& c : cases) EXPECT_EQ(m->display(c.metric), c.shown);

  Preferences p = m->preferences();
  p.unit = "Kelvin";  // any other text than "Fahrenheit" keeps Celsius
  m->setPreferences(p);
  EXPECT_EQ(m->display(cases[0].metric), "43.2 \u00B0C");
}

TEST_F(Displayed, RangeSpans) {
  EXPECT_EQ(Monitor::rangeSpan("Hour"), 3600);
  EXPECT_EQ(Monitor::rangeSpan("Day"), 86400);
  EXPECT_EQ(Monitor::rangeSpan("Week"), 604800);
  EXPECT_EQ(Monitor::rangeSpan("Month"), 2592000);
  EXPECT_EQ(Monitor::rangeSpan("Year"), 3600);
  startWith("Mixed");
  m->setRange("Month");
  EXPECT_EQ(m->since(), rig.clock->now() - 2592000);
}

}  // namespace
}  // namespace tempyra::testing
