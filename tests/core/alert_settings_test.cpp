#include "core/alert_settings.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tempyra {
namespace {

// Time of day h:mm on 2025-12-06 UTC.
double at(int h, int m) { return 1764979200.0 + h * 3600 + m * 60; }

TEST(AlertSettings, Defaults) {
  const AlertSettings s;
  EXPECT_FALSE(s.enabled);
  EXPECT_EQ(s.sustained, 60);
  EXPECT_EQ(s.cooldown, 900);
  EXPECT_FALSE(s.quietEnabled);
  EXPECT_EQ(s.quietStart, 22);
  EXPECT_EQ(s.quietEnd, 8);
  EXPECT_EQ(s.snoozeUntil, -62135769600.0);  // 0001-01-01 00:00 UTC
}

TEST(AlertSettings, QuietHours) {
  const FixedOffsetCalendar utc;
  struct Case {
    bool enabled;
    std::int64_t start, end;
    int h, m;
    bool quiet;
  };
  const Case cases[] = {
      {true, 22, 8, 21, 59, false}, {true, 22, 8, 22, 0, true},  {true, 22, 8, 7, 59, true},
      {true, 22, 8, 8, 0, false},   {true, 22, 8, 0, 0, true},   {true, 9, 17, 8, 59, false},
      {true, 9, 17, 9, 0, true},    {true, 9, 17, 17, 0, false}, {true, 5, 5, 5, 0, true},
      {true, 5, 5, 12, 0, true},    {true, 40, 40, 3, 0, true},  {false, 5, 5, 12, 0, false},
      {false, 22, 8, 23, 0, false}, {true, 30, 40, 23, 0, false},
  };
  for (const auto& c : cases) {
    AlertSettings s;
    s.quietEnabled = c.enabled;
    s.quietStart = c.start;
    s.quietEnd = c.end;
    EXPECT_EQ(s.isQuiet(at(c.h, c.m), utc), c.quiet)
        << c.start << "-" << c.end << " at " << c.h << ":" << c.m;
  }
  // The hour is taken in the calendar's zone: 21:30 UTC is 23:30 at +2 h.
  AlertSettings s;
  s.quietEnabled = true;
  EXPECT_TRUE(s.isQuiet(at(21, 30), FixedOffsetCalendar(7200)));
  EXPECT_EQ(FixedOffsetCalendar(-3600).hour(at(0, 30)), 23);
  EXPECT_EQ(FixedOffsetCalendar().hour(-1), 23);
}

TEST(AlertSettings, JsonRoundTrip) {
  AlertSettings changed;
  changed.enabled = true;
  changed.sustained = 12.5;
  changed.cooldown = 0;
  changed.quietEnabled = true;
  changed.quietStart = -3;
  changed.quietEnd = 99;
  changed.snoozeUntil = 1765051200.25;
  for (const AlertSettings& s : {AlertSettings{}, changed}) {
    const nlohmann::json j = toJson(s);
    EXPECT_EQ(j.size(), 7u);
    const auto back = alertSettingsFromJson(nlohmann::json::parse(j.dump()));
    ASSERT_TRUE(back) << back.error();
    EXPECT_EQ(*back, s);
  }
  EXPECT_EQ(toJson(changed)["snoozeUntil"].get<double>(), 1765051200.25 - 978307200);
  EXPECT_EQ(toJson(AlertSettings{})["snoozeUntil"].get<double>(), -63114076800.0);
}

TEST(AlertSettings, DecodeRequiresEveryKeyWithItsType) {
  const nlohmann::json good = toJson(AlertSettings{});
  for (const auto& [key, value] : good.items()) {
    nlohmann::json missing = good;
    missing.erase(key);
    EXPECT_FALSE(alertSettingsFromJson(missing)) << "missing " << key;
    nlohmann::json null = good;
    null[key] = nullptr;
    EXPECT_FALSE(alertSettingsFromJson(null)) << "null " << key;
    nlohmann::json wrong = good;
    wrong[key] = "1";
    EXPECT_FALSE(alertSettingsFromJson(wrong)) << "string " << key;
  }
  nlohmann::json fraction = good;
  fraction["quietStart"] = 22.5;
  EXPECT_FALSE(alertSettingsFromJson(fraction));
  nlohmann::json boolean = good;
  boolean["sustained"] = true;
  EXPECT_FALSE(alertSettingsFromJson(boolean));
  nlohmann::json flag = good;
  flag["enabled"] = 1;
  EXPECT_FALSE(alertSettingsFromJson(flag));
  EXPECT_FALSE(alertSettingsFromJson(nlohmann::json::array()));
  nlohmann::json whole = good;
  whole["quietEnd"] = 7.0;
  ASSERT_TRUE(alertSettingsFromJson(whole));
  EXPECT_EQ(alertSettingsFromJson(whole)->quietEnd, 7);
}

}  // namespace
}  // namespace tempyra
