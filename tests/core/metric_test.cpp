#include "core/metric.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "core/power_context.h"
#include "core/thermal_state.h"

namespace tempyra {
namespace {

TEST(Metric, NoValueMeansNotAvailable) {
  const Metric m("Fan 1", std::nullopt, "RPM", "src", 10, "Measured");
  EXPECT_EQ(m.quality, "Not available");
  EXPECT_EQ(Metric("Fan 1", 1.0, "RPM", "src", 10, "Measured").quality, "Measured");
  EXPECT_EQ(Metric().quality, "Not available");
}

TEST(Metric, ValidBoundaries) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    std::optional<double> value;
    double age;  // at - timestamp
    bool valid;
  };
  const Case cases[] = {
      {1.0, 0, true},          {1.0, 30, true},    {1.0, 30.001, false}, {1.0, -1, false},
      {inf, 0, false},         {-inf, 0, false},   {std::nan(""), 0, false},
      {std::nullopt, 0, false}, {0.0, 0, true},
  };
  for (const auto& c : cases) {
    const Metric m("m", c.value, "", "", 1000, "Measured");
    EXPECT_EQ(m.valid(1000 + c.age, 30), c.valid) << "age " << c.age;
  }
}

TEST(Metric, EqualityTreatsNaNAsUnequal) {
  const Metric a("m", std::nan(""), "", "", 1, "q");
  EXPECT_FALSE(a == a);
  const PowerContext p{"Battery", std::nan(""), true};
  EXPECT_FALSE(p == p);
  EXPECT_FALSE((PowerContext{"AC", 50.0, true} == PowerContext{"AC", 50.0, std::nullopt}));
  EXPECT_TRUE((PowerContext{"AC", 50.0, true} == PowerContext{"AC", 50.0, true}));
}

TEST(ThermalState, RawValuesAndTexts) {
  EXPECT_FALSE(thermalStateFromRaw(-1));
  EXPECT_FALSE(thermalStateFromRaw(5));
  ASSERT_EQ(kAllThermalStates.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(thermalStateFromRaw(i), kAllThermalStates[static_cast<std::size_t>(i)]);
  }
  EXPECT_EQ(title(ThermalState::critical), "Critical");
  EXPECT_EQ(explanation(ThermalState::unknown), "The current thermal state is unavailable.");
}

}  // namespace
}  // namespace tempyra
