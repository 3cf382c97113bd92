#include "core/advice.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include <gtest/gtest.h>

namespace tempyra {
namespace {

constexpr double kNow = 1765051200;  // 2025-12-06 20:00:00 UTC

Reading readingAt(double at, ThermalState state, std::optional<double> cpu) {
  Reading r;
  r.timestamp = at;
  r.state = state;
  r.cpu = Metric("CPU load", cpu, "%", "src", at, "Measured");
  r.power.source = "AC power";
  r.segment = "s";
  return r;
}

class AdviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
};

TEST_F(AdviceTest, Freshness) {
  struct Case {
    double age;  // now - timestamp
    double freshness;
    bool fresh;
  };
  const Case cases[] = {
      {95, 95, true}, {95.001, 95, false}, {0, 95, true}, {-1, 1e9, false}, {0, -1, false},
  };
  for (const auto& c : cases) {
    const Advice a = Rules::evaluate(readingAt(kNow - c.age, ThermalState::serious, 50), 10,
                                     kNow, c.freshness);
    EXPECT_EQ(a.version, 1);
    if (c.fresh) {
      EXPECT_EQ(a.headline, "macOS reports serious thermal pressure and may reduce performance.")
          << c.age;
      EXPECT_EQ(a.evidence.size(), 4u) << c.age;
    } else {
      EXPECT_EQ(a.headline, "Waiting for a fresh reading") << c.age;
      EXPECT_EQ(a.detail,
                "Monitoring was paused, asleep or delayed. Older readings do not describe your "
                "Mac right now.");
      ASSERT_EQ(a.evidence.size(), 1u) << c.age;
      EXPECT_EQ(a.evidence[0].rfind("Last sample: ", 0), 0u) << a.evidence[0];
    }
  }
}

TEST_F(AdviceTest, StaleLineShowsLocalDateAndTimeWithoutSeconds) {
  std::setlocale(LC_TIME, "C");
  const Advice a = Rules::evaluate(readingAt(kNow + 37, ThermalState::nominal, 1), 0, kNow, 95);
  EXPECT_EQ(a.evidence, std::vector<std::string>{"Last sample: 12/06/25 20:00"});
}

TEST_F(AdviceTest, FreshEvidenceLines) {
  struct Case {
    double duration;
    std::optional<double> cpu;
    std::vector<std::string> tail;  // evidence after the first line
  };
  const Case cases[] = {
      {-5, 18.44, {"Observed in this state for 0 seconds", "Power source: AC power",
                   "System CPU load: 18.4%"}},
      {59.9, 100, {"Observed in this state for 59 seconds", "Power source: AC power",
                   "System CPU load: 100.0%"}},
      {std::nan(""), std::nullopt,
       {"Observed in this state for 0 seconds", "Power source: AC power"}},
      {1234567.8, 0.04, {"Observed in this state for 1234567 seconds", "Power source: AC power",
                         "System CPU load: 0.0%"}},
  };
  for (const auto& c : cases) {
    const Advice a = Rules::evaluate(readingAt(kNow, ThermalState::fair, c.cpu), c.duration, kNow, 95);
    std::vector<std::string> want{"macOS thermal pressure: Fair"};
    want.insert(want.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(a.evidence, want);
  }
}

TEST_F(AdviceTest, CpuLineIgnoresNumericLocale) {
  // A locale with a decimal comma may be missing; the point must hold in any case.
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE locale";
  const Advice a = Rules::evaluate(readingAt(kNow, ThermalState::fair, 18.44), 0, kNow, 95);
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(a.evidence.back(), "System CPU load: 18.4%");
}

TEST_F(AdviceTest, HeadlineAndDetailByState) {
  const std::string hot =
      "Pause demanding tasks if practical, use a firm ventilated surface and check that vents are "
      "clear. If this persists, consult Apple support. This app cannot diagnose hardware faults.";
  for (ThermalState s : kAllThermalStates) {
    const Advice a = Rules::evaluate(readingAt(kNow, s, std::nullopt), 3, kNow, 95);
    EXPECT_EQ(a.headline, explanation(s));
    EXPECT_EQ(a.evidence.size(), 3u);
    EXPECT_EQ(a.evidence[2], "Power source: AC power");
    EXPECT_EQ(a.detail == hot, isHot(s)) << title(s);
  }
  EXPECT_EQ(Rules::evaluate(readingAt(kNow, ThermalState::unknown, 1), 3, kNow, 95).detail,
            "The app cannot assess heat while macOS thermal pressure is unavailable.");
}

TEST(AdviceFormat, TimeFormatWithoutSeconds) {
  struct Case {
    const char* tFmt;
    const char* ampm;
    const char* want;
  };
  const Case cases[] = {
      {"%H:%M:%S", "%I:%M:%S %p", "%H:%M"},
      {"%T", "", "%H:%M"},
      {"%r", "%I:%M:%S %p", "%I:%M %p"},
      {"%r", "%r", "%I:%M %p"},
      {"%H.%M.%S", "", "%H.%M"},
      {"%H時%M分%S秒", "", "%H時%M分"},
      {"%p %I:%M:%S", "", "%p %I:%M"},
      {"%H:%M", "", "%H:%M"},
      {"%OH:%OM:%OS", "", "%OH:%OM"},
  };
  for (const auto& c : cases) EXPECT_EQ(timeFormatWithoutSeconds(c.tFmt, c.ampm), c.want) << c.tFmt;
}

TEST(AdviceJson, RoundTripAndRequiredKeys) {
  const Advice a{1, "h/1", "d \"x\"", {"a", "°"}};
  const auto text = encodeJson(a);
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, R"({"version":1,"headline":"h\/1","detail":"d \"x\"","evidence":["a","°"]})");
  const auto back = decodeAdvice(*text);
  ASSERT_TRUE(back) << back.error();
  EXPECT_EQ(*back, a);
  for (const char* bad : {R"({"headline":"h","detail":"d","evidence":[]})",
                          R"({"version":1,"detail":"d","evidence":[]})",
                          R"({"version":1,"headline":"h","evidence":[]})",
                          R"({"version":1,"headline":"h","detail":"d"})",
                          R"({"version":1.5,"headline":"h","detail":"d","evidence":[]})",
                          R"({"version":1,"headline":"h","detail":"d","evidence":[1]})", "{"}) {
    EXPECT_FALSE(decodeAdvice(bad)) << bad;
  }
}

}  // namespace
}  // namespace tempyra
