#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/preferences.h"

namespace tempyra {
namespace {

TEST(PreferencesTest, RoundTripsWithTheSnoozeTimeCountedFrom2001) {
  Preferences p;
  p.unit = TemperatureUnit::fahrenheit;
  p.menu = MenuMode::cpuTemperature;
  p.retention = 90;
  p.activity = false;
  p.advanced = true;
  p.alerts.snoozeUntil = kSeconds1970To2001 + 1000.5;
  const auto json = encodeJson(p);
  ASSERT_TRUE(json);
  EXPECT_EQ(nlohmann::json::parse(*json)["alerts"]["snoozeUntil"].get<double>(), 1000.5);
  EXPECT_EQ(decodePreferences(*json).value(), p);
  EXPECT_EQ(decodePreferences(*encodeJson(Preferences{})).value(), Preferences{});
  p.alerts.sustained = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(encodeJson(p));  // would not read back
}

TEST(PreferencesTest, DecodingRequiresAllSixKeysWithTheirTypes) {
  auto doc = nlohmann::json::parse(*encodeJson(Preferences{}));
  doc["retention"] = 7.0;  // a whole number in any number form
  EXPECT_EQ(decodePreferences(doc.dump())->retention, 7);
  for (const char* key : {"unit", "menu", "retention", "activity", "advanced", "alerts"}) {
    auto missing = doc;
    missing.erase(key);
    EXPECT_FALSE(decodePreferences(missing.dump())) << key;
    auto null = doc;
    null[key] = nullptr;
    EXPECT_FALSE(decodePreferences(null.dump())) << key;
  }
  const std::pair<const char*, nlohmann::json> wrong[] = {
      {"unit", 1}, {"retention", "30"}, {"activity", 1},
      {"advanced", "false"}, {"alerts", 5}, {"alerts", nlohmann::json::object()}};
  for (const auto& [key, value] : wrong) {
    auto bad = doc;
    bad[key] = value;
    EXPECT_FALSE(decodePreferences(bad.dump())) << key;
  }
  for (const char* junk : {"", "[]", "{", "null", "\xff"}) EXPECT_FALSE(decodePreferences(junk));
}

// An unknown name reads as the default and is written back as found until the user picks one.
TEST(PreferencesTest, StoredNamesAndUnknownTexts) {
  auto doc = nlohmann::json::parse(*encodeJson(Preferences{}));
  EXPECT_EQ(doc["unit"], "Celsius");
  EXPECT_EQ(doc["menu"], "Mixed");
  const std::tuple<const char*, const char*, TemperatureUnit, MenuMode> cases[] = {
      {"Fahrenheit", "Icon only", TemperatureUnit::fahrenheit, MenuMode::iconOnly},
      {"Celsius", "Numerical", TemperatureUnit::celsius, MenuMode::numerical},
      {"Kelvin", "mixed", TemperatureUnit::celsius, MenuMode::mixed},  // unknown: the defaults
  };
  for (const auto& [unit, menu, wantUnit, wantMenu] : cases) {
    doc["unit"] = unit;
    doc["menu"] = menu;
    Preferences p = decodePreferences(doc.dump()).value();
    EXPECT_EQ(p.unit, wantUnit) << unit;
    EXPECT_EQ(p.menu, wantMenu) << menu;
    p.advanced = true;  // another setting changes: the names stay as stored
    const auto saved = nlohmann::json::parse(*encodeJson(p));
    EXPECT_EQ(saved["unit"], unit);
    EXPECT_EQ(saved["menu"], menu);
  }
  Preferences p = decodePreferences(doc.dump()).value();
  EXPECT_TRUE(p.keeps(kUnitPointer) && p.keeps(kMenuPointer));
  p.forget(kUnitPointer);  // the user picks Celsius
  EXPECT_EQ(nlohmann::json::parse(*encodeJson(p))["unit"], "Celsius");
}

// A number outside its range takes the default; its stored text survives saves of other
// settings until that setting itself changes.
TEST(PreferencesTest, OutOfRangeNumbersTakeTheirDefaults) {
  const Preferences defaults;
  const nlohmann::json base = nlohmann::json::parse(*encodeJson(defaults));
  const std::pair<const char*, nlohmann::json> cases[] = {
      {kSustainedPointer, -5},       {kSustainedPointer, 1e308},   {kCooldownPointer, -1.5},
      {kCooldownPointer, 1e9},       {kQuietStartPointer, 24},     {kQuietStartPointer, -1},
      {kQuietEndPointer, 99999},     {kQuietEndPointer, 1e308},    {kRetentionPointer, -7},
      {kRetentionPointer, 0},        {kRetentionPointer, 1e308},   {kRetentionPointer, 7.5},
      {kSnoozePointer, 1e308},       {kQuietStartPointer, 5.5},
  };
  for (const auto& [pointer, value] : cases) {
    SCOPED_TRACE(std::string(pointer) + " = " + value.dump());
    const nlohmann::json::json_pointer at(pointer);
    auto doc = base;
    doc[at] = value;
    Preferences p = decodePreferences(doc.dump()).value();
    Preferences used = p;
    used.kept.clear();
    EXPECT_EQ(used, defaults);
    p.activity = false;
    EXPECT_EQ(nlohmann::json::parse(*encodeJson(p))[at], value);
    p.forget(pointer);
    EXPECT_EQ(nlohmann::json::parse(*encodeJson(p))[at], base[at]);
  }
  auto doc = base;
  doc["alerts"]["sustained"] = 45;  // in range though not offered: used as stored
  EXPECT_EQ(decodePreferences(doc.dump())->alerts.sustained, 45);
}

}  // namespace
}  // namespace tempyra
