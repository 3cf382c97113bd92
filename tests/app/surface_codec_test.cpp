#include "app/surface_codec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>

#include "tests/app/fakes.h"

namespace tempyra::testing {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

template <class T, class Encode, class Decode>
void expectRoundTrip(const T& value, Encode encode, Decode decode) {
  const std::string text = encode(value);
  EXPECT_EQ(text.find('\n'), std::string::npos) << text;
  const auto back = decode(text);
  ASSERT_TRUE(back) << back.error();
  EXPECT_TRUE(*back == value) << text;
}

// A reading with every optional filled and texts a plain JSON string cannot carry.
Reading fullReading(double at) {
  Reading r = testReading(at, ThermalState::serious);
  r.sensors.push_back(Metric(MetricKind::fan, "Fan 1", std::nullopt, "RPM", "hwmon\n", at, ""));
  r.power = {PowerSource::other, 87.5, false, "UPS \"north\""};
  r.activity.push_back({-7, std::string("tr\xE2\x82", 4) + std::string(1, '\0'), -0.0});
  return r;
}

TEST(SurfaceCodec, FullAndEmptySnapshotsComeBackExactly) {
  const Problem problem{ProblemKind::metricsWriteFailed, "disk\tfull", -3, "/tmp/\xFF/m.prom"};
  const Episode e{1.5e9, 1.5e9 + 61, ThermalState::critical,
                  {{ThermalState::fair, 1}, {ThermalState::critical, 60}},
                  Episode::Peak{91.25, 1.5e9 + 3}, std::nullopt, 55.5, {"AC power", "Battery"},
                  {{"cc1plus", 120.5, 197.5}}, true};
  HistoryState h{{}, {{9, 1.6e9, EventKind::other, "note", "Custom"}, {8, 1.5e9, {}, "", ""}},
                 {{ThermalState::nominal, 3600}, {ThermalState::unknown, 0.1}}, {e, {}}, problem};
  for (int i = 0; i < 50; ++i) h.readings.push_back(fullReading(1.7e9 + i * 30.25));
  SetupState s;
  s.preferences = {TemperatureUnit::fahrenheit, MenuMode::numerical, 3650, false, true,
                   AlertSettings{true, 5, 7, true, -1, 99, kDistantPast}, {{"/unit", "\"K\""}}};
  s.permission = AuthorizationStatus::provisional;
  s.loginStatus = LoginItemStatus::requiresApproval;
  s.metricsFolder = "/home/\xC3";
  s.metricsProblem = problem;
  s.profile = {"Box", "x86", "Linux", "2", {{"fans", "No"}}};
  s.demo = true;
  const LiveFacts live{fullReading(1.7e9), true, true, problem,
                       AwaySummary{3, 7200.5, ThermalState::serious, "make"}, 1.6e9};
  const DefaultsCopy d{{{kAppearanceKey, DefaultValue::ofString("Dark")},
                        {"b", DefaultValue::ofBytes("\x80")}, {"d", DefaultValue::ofDate(-1.5)},
                        {kShowTourKey, DefaultValue::ofBoolean(false)}}, problem};
  for (const bool empty : {false, true}) {
    const auto pick = [&](const auto& x) { return empty ? std::decay_t<decltype(x)>{} : x; };
    expectRoundTrip(pick(live), encodeLiveFacts, decodeLiveFacts);
    expectRoundTrip(pick(h), encodeHistoryState, decodeHistoryState);
    expectRoundTrip(pick(s), encodeSetupState, decodeSetupState);
    expectRoundTrip(pick(d), encodeDefaults, decodeDefaults);
    expectRoundTrip(DefaultWrite{kShowStepsKey, pick(std::optional(DefaultValue::ofDate(2)))},
                    encodeDefaultWrite, decodeDefaultWrite);
  }
}

TEST(SurfaceCodec, EveryDoubleComesBackToTheBit) {
  for (const double x : {-0.0, 5e-324, 1e-7, 0.1, 1733500000.123456, 12345678901234568.0, 1e17,
                         18446744073709551616.0, -1e300, kInf, -kInf, std::nan("")}) {
    LiveFacts f;
    f.stateSince = x;
    const auto back = decodeLiveFacts(encodeLiveFacts(f));
    ASSERT_TRUE(back) << x << ": " << back.error();
    const double y = back->stateSince;
    EXPECT_TRUE(std::isnan(x) ? std::isnan(y) : std::memcmp(&y, &x, sizeof x) == 0) << x;
  }
}

TEST(SurfaceCodec, MalformedTextsAreErrors) {
  const std::string live =
      encodeLiveFacts({fullReading(1.7e9), false, false, std::nullopt, std::nullopt, 0});
  for (std::size_t n = 0; n < live.size(); ++n) EXPECT_FALSE(decodeLiveFacts(live.substr(0, n)));
  for (const char* bad : {"{}", "null", "[[],[],[],[]]", "[[],[],[],[],null,1]",
                          "[[1],[],[],[],null]", "[[],[],[[5,1]],[],null]",
                          "[[],[],[],[],[99,\"\",0,\"\"]]", "[[],[],[],[],[0,[256],0,\"\"]]",
                          "[[],[],[],[],[0,\"\",1.5,\"\"]]", "[[],[],[[0,\"inf\"]],[],null]",
                          "[[],[],[[0,1e999]],[],null]", "[[],[[1,2,3,\"\",\"\"]],[],[],null] x"}) {
    EXPECT_FALSE(decodeHistoryState(bad)) << bad;
  }
  EXPECT_FALSE(decodeHistoryState(std::string(100000, '[') + std::string(100000, ']')));
  EXPECT_FALSE(decodeSetupState(encodeLiveFacts({})));
  EXPECT_FALSE(decodeDefaultWrite("[\"k\",[4,true]]"));  // no fifth value type
}

TEST(SurfaceCodec, DefaultsCopyKeepsTypesAndRefusesOtherKeys) {
  MemoryDefaults store;  // the tour switch holds text; the preferences are not the interface's
  store.values = {{kAppearanceKey, std::string("Dark")}, {kShowTourKey, std::string("yes")},
                  {kPreferencesKey, std::string("{}")}};
  store.problem_ = Problem{ProblemKind::settingsNotAFile, "a named pipe"};
  std::vector<DefaultWrite> writes;
  CopiedDefaults copy(copyInterfaceDefaults(store),
                      [&](const std::string& k, const auto& v) { writes.push_back({k, v}); });
  EXPECT_EQ(copy.copy().values.size(), 1u);
  EXPECT_EQ(copy.problem(), store.problem_);
  EXPECT_EQ(copy.string(kAppearanceKey), "Dark");
  EXPECT_FALSE(copy.boolean(kAppearanceKey));
  copy.setBoolean(kShowTourKey, false);
  copy.remove(kAppearanceKey);
  EXPECT_EQ(copy.boolean(kShowTourKey), false);
  for (const DefaultWrite& w : writes) EXPECT_TRUE(applyDefault(store, w.key, w.value)) << w.key;
  EXPECT_EQ(store.boolean(kShowTourKey), false);
  EXPECT_FALSE(store.string(kAppearanceKey));
  for (const char* key :
       {kPreferencesKey, kMetricsFolderKey, kNotificationGrantKey, kDashboardSeenKey}) {
    EXPECT_FALSE(applyDefault(store, key, std::nullopt)) << key;
  }
  EXPECT_FALSE(applyDefault(store, kShowStepsKey, DefaultValue::ofString("true")));
  EXPECT_EQ(store.values.size(), 2u);  // the preferences and the tour switch
}

}  // namespace
}  // namespace tempyra::testing
