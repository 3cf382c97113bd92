#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/preferences.h"

namespace tempyra {
namespace {

TEST(PreferencesTest, RoundTripsWithTheSnoozeTimeCountedFrom2001) {
  Preferences p;
  p.unit = "Fahrenheit";
  p.menu = "Something new";  // unknown texts are kept
  p.retention = 90;
  p.activity = false;
  p.advanced = true;
  p.alerts.enabled = true;
  p.alerts.snoozeUntil = kSeconds1970To2001 + 1000.5;
  const auto json = encodeJson(p);
  ASSERT_TRUE(json);
  const auto doc = nlohmann::json::parse(*json);
  EXPECT_EQ(doc.size(), 6u);
  EXPECT_EQ(doc["alerts"]["snoozeUntil"].get<double>(), 1000.5);
  EXPECT_EQ(json->find(": "), std::string::npos);  // compact
  EXPECT_EQ(decodePreferences(*json).value(), p);
  // The defaults' distant-past snooze reads back exactly.
  EXPECT_EQ(decodePreferences(*encodeJson(Preferences{})).value(), Preferences{});
}

TEST(PreferencesTest, DecodingRequiresEverySixKeysWithTheirTypes) {
  auto doc = nlohmann::json::parse(*encodeJson(Preferences{}));
  EXPECT_TRUE(decodePreferences(doc.dump()));
  doc["retention"] = 7.0;  // a whole number in any number form
  EXPECT_EQ(decodePreferences(doc.dump())->retention, 7);
  const char* keys[] = {"unit", "menu", "retention", "activity", "advanced", "alerts"};
  for (const char* key : keys) {
    SCOPED_TRACE(key);
    auto missing = doc;
    missing.erase(key);
    EXPECT_FALSE(decodePreferences(missing.dump()));
    auto null = doc;
    null[key] = nullptr;
    EXPECT_FALSE(decodePreferences(null.dump()));
  }
  struct Bad {
    const char* key;
    nlohmann::json value;
  };
  for (const Bad& b : {Bad{"unit", 1}, Bad{"retention", "30"}, Bad{"retention", 7.5},
                       Bad{"activity", 1}, Bad{"advanced", "false"}, Bad{"alerts", 5}}) {
    SCOPED_TRACE(b.key);
    auto wrong = doc;
    wrong[b.key] = b.value;
    EXPECT_FALSE(decodePreferences(wrong.dump()));
  }
  auto noSnooze = doc;
  noSnooze["alerts"].erase("snoozeUntil");
  EXPECT_FALSE(decodePreferences(noSnooze.dump()));
  for (const char* junk : {"", "[]", "{", "null", "\xff"}) EXPECT_FALSE(decodePreferences(junk));
}

TEST(PreferencesTest, NonFiniteTimesAreNotEncoded) {
  Preferences p;
  p.alerts.sustained = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(encodeJson(p));
}

}  // namespace
}  // namespace tempyra
