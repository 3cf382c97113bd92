#include "core/advice.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include <gtest/gtest.h>

#include "core/platform_words.h"

namespace tempyra {
namespace {

constexpr double kNow = 1765051200;  // 2025-12-06 20:00:00 UTC

Reading readingAt(double at, ThermalState state, std::optional<double> cpu) {
  Reading r;
  r.timestamp = at;
  r.state = state;
  r.cpu = Metric(MetricKind::cpuLoad, "CPU load", cpu, "%", "src", at, "Measured");
  r.power.source = PowerSource::ac;
  return r;
}

TEST(Advice, Freshness) {
  setenv("TZ", "UTC", 1);
  tzset();
  std::setlocale(LC_TIME, "C");
  const std::tuple<double, double, bool> cases[] = {
      // age (now - timestamp), freshness, fresh
      {95, 95, true}, {95.001, 95, false}, {-1, 1e9, false}, {0, -1, false},
  };
  for (const auto& [age, freshness, fresh] : cases) {
    const Advice a =
        Rules::evaluate(readingAt(kNow - age, ThermalState::serious, 50), 10, kNow, freshness);
    if (fresh) {
      EXPECT_EQ(a.headline, explanation(ThermalState::serious)) << age;
      EXPECT_EQ(a.evidence.size(), 4u);
    } else {
      EXPECT_EQ(a.headline, "Waiting for a fresh reading") << age;
      const std::string when = age == 95.001 ? "12/06/25 19:58" : "12/06/25 20:00";
      EXPECT_EQ(a.evidence, std::vector<std::string>{"Last sample: " + when});
    }
  }
}

TEST(Advice, FreshEvidenceLines) {
  const std::tuple<double, std::optional<double>, std::vector<std::string>> cases[] = {
      {-5, 18.44, {"Observed in this state for 0 seconds", "System CPU load: 18.4%"}},
      {59.9, 100, {"Observed in this state for 59 seconds", "System CPU load: 100.0%"}},
      {std::nan(""), std::nullopt, {"Observed in this state for 0 seconds"}},
      {1234567.8, 0.04, {"Observed in this state for 1234567 seconds", "System CPU load: 0.0%"}},
  };
  const std::string pressure(platformWord(PlatformWord::pressureEvidence));
  for (const auto& [duration, cpu, lines] : cases) {
    const Advice a =
        Rules::evaluate(readingAt(kNow, ThermalState::fair, cpu), duration, kNow, 95);
    std::vector<std::string> want{pressure + "Fair", lines[0], "Power source: AC power"};
    if (lines.size() > 1) want.push_back(lines[1]);
    EXPECT_EQ(a.evidence, want);
  }
  // printf would follow a decimal-comma locale; the point must hold.
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
    const Advice a = Rules::evaluate(readingAt(kNow, ThermalState::fair, 18.44), 0, kNow, 95);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(a.evidence.back(), "System CPU load: 18.4%");
  }
}

TEST(Advice, TimeFormatWithoutSeconds) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"%H:%M:%S", "", "%H:%M"},       {"%T", "", "%H:%M"},
      {"%r", "%I:%M:%S %p", "%I:%M %p"}, {"%r", "%r", "%I:%M %p"},
      {"%H時%M分%S秒", "", "%H時%M分"},     {"%p %I:%M:%S", "", "%p %I:%M"},
      {"%OH:%OM:%OS", "", "%OH:%OM"},
  };
  for (const auto& [fmt, ampm, want] : cases) {
    EXPECT_EQ(timeFormatWithoutSeconds(fmt, ampm), want) << fmt;
  }
}

}  // namespace
}  // namespace tempyra
