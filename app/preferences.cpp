#include "app/preferences.h"

#include <cmath>

#include <nlohmann/json.hpp>

namespace tempyra {

namespace {

// The stored names, in enum order.
constexpr const char* kUnitNames[] = {"Celsius", "Fahrenheit"};
constexpr const char* kMenuNames[] = {"Icon only", "Thermal state", "CPU temperature",
                                      "Numerical", "Mixed"};

template <class Enum, std::size_t N>
Enum fromName(const char* const (&names)[N], const std::string& text, Enum fallback) {
  for (std::size_t i = 0; i < N; ++i) {
    if (text == names[i]) return static_cast<Enum>(i);
  }
  return fallback;
}

}  // namespace

Expected<std::string> encodeJson(const Preferences& p) {
  // A non-finite time would be written as null and the document would no longer read back.
  for (double v : {p.alerts.sustained, p.alerts.cooldown, p.alerts.snoozeUntil}) {
    if (!std::isfinite(v)) return Error{"Preferences hold a number that is not finite."};
  }
  nlohmann::json j = {{"unit", kUnitNames[static_cast<int>(p.unit)]},
                      {"menu", kMenuNames[static_cast<int>(p.menu)]},
                      {"retention", p.retention},
                      {"activity", p.activity},
                      {"advanced", p.advanced},
                      {"alerts", toJson(p.alerts)}};
  try {
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
  } catch (const nlohmann::json::exception& e) {
    return Error{e.what()};
  }
}

Expected<Preferences> decodePreferences(std::string_view json) {
  nlohmann::json j = nlohmann::json::parse(json, nullptr, false);
  if (j.is_discarded()) return Error{"Preferences are not valid JSON."};
  if (!j.is_object()) return Error{"Preferences are not a JSON object."};
  auto need = [&](const char* key, auto test) -> const nlohmann::json* {
    auto it = j.find(key);
    if (it == j.end() || !test(*it)) return nullptr;
    return &*it;
  };
  const auto* unit = need("unit", [](const auto& v) { return v.is_string(); });
  const auto* menu = need("menu", [](const auto& v) { return v.is_string(); });
  const auto* retention = need("retention", [](const auto& v) { return v.is_number(); });
  const auto* activity = need("activity", [](const auto& v) { return v.is_boolean(); });
  const auto* advanced = need("advanced", [](const auto& v) { return v.is_boolean(); });
  const auto* alerts = need("alerts", [](const auto& v) { return v.is_object(); });
  if (!unit || !menu || !retention || !activity || !advanced || !alerts) {
    return Error{"Preferences lack a key or hold a value of the wrong type."};
  }
  // A whole number in any JSON number form (30 or 30.0), within 64 bits.
  std::int64_t days = 0;
  if (retention->is_number_unsigned()) {
    const auto u = retention->get<std::uint64_t>();
    if (u > static_cast<std::uint64_t>(INT64_MAX)) return Error{"Preferences: bad retention."};
    days = static_cast<std::int64_t>(u);
  } else if (retention->is_number_integer()) {
    days = retention->get<std::int64_t>();
  } else {
    const double d = retention->get<double>();
    if (!(std::trunc(d) == d && d >= -9223372036854775808.0 && d < 9223372036854775808.0)) {
      return Error{"Preferences: bad retention."};
    }
    days = static_cast<std::int64_t>(d);
  }
  auto settings = alertSettingsFromJson(*alerts);
  if (!settings) return Error{settings.error()};
  Preferences p;
  p.unit = fromName(kUnitNames, unit->get<std::string>(), TemperatureUnit::celsius);
  p.menu = fromName(kMenuNames, menu->get<std::string>(), MenuMode::mixed);
  p.retention = days;
  p.activity = activity->get<bool>();
  p.advanced = advanced->get<bool>();
  p.alerts = std::move(settings.value());
  return p;
}

}  // namespace tempyra
