#include "core/metric.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace tempyra {
namespace {

TEST(Metric, ValidBoundaries) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::tuple<std::optional<double>, double, bool> cases[] = {
      {1.0, 0, true},    {1.0, 30, true},         {1.0, 30.001, false},    {1.0, -1, false},
      {inf, 0, false},   {std::nan(""), 0, false}, {std::nullopt, 0, false},
  };
  for (const auto& [value, age, valid] : cases) {
    EXPECT_EQ(Metric(MetricKind::other, "m", value, "", "", 1000, "Measured").valid(1000 + age, 30), valid)
        << "age " << age;
  }
  EXPECT_EQ(Metric(MetricKind::other, "m", std::nullopt, "", "", 1, "Measured").quality, "Not available");
}

}  // namespace
}  // namespace tempyra
