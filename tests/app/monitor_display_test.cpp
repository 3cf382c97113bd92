// Menu-bar title and value display.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/app/fakes.h"

namespace tempyra::testing {
namespace {

TEST(DisplayTest, TitleForEveryMenuMode) {
  struct Case {
    const char* menu;
    ThermalState state;
    std::optional<double> cpu;
    double age;  // of the reading when the title is read
    const char* title;
  };
  const Case cases[] = {
      {"Icon only", ThermalState::nominal, 12.4, 0, ""},
      {"Thermal state", ThermalState::serious, 12.4, 0, "Serious"},
      {"CPU temperature", ThermalState::nominal, 12.4, 0, "CPU 43.2 \u00B0C"},
      {"Numerical", ThermalState::nominal, 37.4, 0, "CPU 37%"},
      {"Numerical", ThermalState::nominal, std::nullopt, 0, "CPU \u2014"},
      {"Mixed", ThermalState::nominal, 12.4, 95, "Nominal \u00B7 12% CPU"},
      {"Mixed", ThermalState::fair, std::nullopt, 0, "Fair \u00B7 CPU \u2014"},
      {"mixed", ThermalState::critical, 99.6, 0, "Critical \u00B7 100% CPU"},
      {"Mixed", ThermalState::nominal, 12.4, 95.5, "Paused"},
      {"Icon only", ThermalState::nominal, 12.4, 95.5, ""},
      {"Thermal state", ThermalState::nominal, 12.4, -1, "Paused"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    Rig rig;
    rig.script->state = c.state;
    rig.script->cpu = c.cpu;
    rig.prefer([&](Preferences& p) { p.menu = c.menu; });
    auto m = rig.start();
    rig.clock->advance(c.age);
    EXPECT_EQ(m->menuTitle(), c.title);
  }
}

TEST(DisplayTest, ValuesAreConvertedOrHidden) {
  Rig rig;
  rig.prefer([](Preferences& p) { p.unit = "Fahrenheit", p.menu = "CPU temperature"; });
  auto m = rig.start();
  const double now = rig.clock->now();
  const double inf = std::numeric_limits<double>::infinity();
  auto metric = [&](std::optional<double> v, const char* unit, double age) {
    return Metric("x", v, unit, "s", now - age, "Measured");
  };
  const std::pair<Metric, const char*> cases[] = {
      {metric(43.2, "\u00B0C", 0), "109.8 \u00B0F"},
      {metric(1200, "RPM", 0), "1200.0 RPM"},
      {metric(12.44, "%", 95), "12.4 %"},
      {metric(std::nullopt, "RPM", 0), "Not available"},
      {metric(inf, "RPM", 0), "Not available"},
      {metric(std::nan(""), "RPM", 0), "Not available"},
      {metric(1, "RPM", -3), "Not available"},  // in the future
      {metric(1, "RPM", 95.5), "Not available"},
  };
  for (const auto& [m1, shown] : cases) EXPECT_EQ(m->display(m1), shown);
  EXPECT_EQ(m->menuTitle(), "CPU 109.8 \u00B0F");
  Preferences p = m->preferences();
  p.unit = "Kelvin";  // any other text than "Fahrenheit" keeps Celsius
  m->setPreferences(p);
  EXPECT_EQ(m->display(cases[0].first), "43.2 \u00B0C");
  m->setRange("Month");
  EXPECT_EQ(m->since(), now - 2592000);
  m->setRange("Year");
  EXPECT_EQ(m->since(), now - 3600);
}

}  // namespace
}  // namespace tempyra::testing
