#include "core/alert_settings.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tempyra {
namespace {

TEST(AlertSettings, QuietHours) {
  const std::tuple<bool, int, int, int, bool> cases[] = {
      // enabled, start, end, minute of day (UTC), quiet
      {true, 22, 8, 21 * 60 + 59, false}, {true, 22, 8, 22 * 60, true},
      {true, 22, 8, 7 * 60 + 59, true},   {true, 22, 8, 8 * 60, false},
      {true, 9, 17, 8 * 60 + 59, false},  {true, 9, 17, 9 * 60, true},
      {true, 9, 17, 17 * 60, false},      {true, 5, 5, 12 * 60, true},
      {true, 40, 40, 3 * 60, true},       {false, 5, 5, 12 * 60, false},
  };
  for (const auto& [enabled, start, end, minute, quiet] : cases) {
    AlertSettings s;
    s.quietEnabled = enabled;
    s.quietStart = start;
    s.quietEnd = end;
    EXPECT_EQ(s.isQuiet(1764979200.0 + minute * 60, FixedOffsetCalendar()), quiet)
        << start << "-" << end << " at minute " << minute;
  }
  // The hour is the calendar's: 21:30 UTC is 23:30 at +2 h; 00:30 UTC is 23:30 at -1 h.
  AlertSettings s;
  s.quietEnabled = true;
  EXPECT_TRUE(s.isQuiet(1764979200.0 + 21.5 * 3600, FixedOffsetCalendar(7200)));
  EXPECT_EQ(FixedOffsetCalendar(-3600).hour(1764979200.0 + 1800), 23);
}

TEST(AlertSettings, JsonRoundTripAndStrictDecoding) {
  AlertSettings changed;
  changed.enabled = true;
  changed.sustained = 12.5;
  changed.quietStart = -3;
  changed.snoozeUntil = 1765051200.25;
  for (const AlertSettings& s : {AlertSettings{}, changed}) {
    const auto back = alertSettingsFromJson(nlohmann::json::parse(toJson(s).dump()));
    ASSERT_TRUE(back) << back.error();
    EXPECT_EQ(*back, s);
  }
  EXPECT_EQ(toJson(AlertSettings{})["snoozeUntil"].get<double>(), -63114076800.0);

  const nlohmann::json good = toJson(AlertSettings{});
  for (const auto& [key, value] : good.items()) {
    for (const nlohmann::json& bad : {nlohmann::json(), nlohmann::json("1"), nlohmann::json(0.5)}) {
      nlohmann::json j = good;
      j[key] = bad;
      if (!(bad.is_number() && (key == "sustained" || key == "cooldown" || key == "snoozeUntil"))) {
        EXPECT_FALSE(alertSettingsFromJson(j)) << key << " = " << bad;
      }
    }
    nlohmann::json missing = good;
    missing.erase(key);
    EXPECT_FALSE(alertSettingsFromJson(missing)) << "missing " << key;
  }
  nlohmann::json whole = good;
  whole["quietEnd"] = 7.0;  // an integral number in any form is an integer
  EXPECT_EQ(alertSettingsFromJson(whole)->quietEnd, 7);
}

}  // namespace
}  // namespace tempyra
