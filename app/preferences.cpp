#include "app/preferences.h"

#include <cmath>
#include <optional>

#include <nlohmann/json.hpp>

namespace tempyra {

namespace {

// The stored names, in enum order.
constexpr const char* kUnitNames[] = {"Celsius", "Fahrenheit"};
constexpr const char* kMenuNames[] = {"Icon only", "Thermal state", "CPU temperature",
                                      "Numerical", "Mixed"};

template <class Enum, std::size_t N>
std::optional<Enum> fromName(const char* const (&names)[N], const std::string& text) {
  for (std::size_t i = 0; i < N; ++i) {
    if (text == names[i]) return static_cast<Enum>(i);
  }
  return std::nullopt;
}

using Json = nlohmann::json;

Json toObject(const Preferences& p) {
  return {{"unit", kUnitNames[static_cast<int>(p.unit)]},
          {"menu", kMenuNames[static_cast<int>(p.menu)]},
          {"retention", p.retention},
          {"activity", p.activity},
          {"advanced", p.advanced},
          {"alerts", toJson(p.alerts)}};
}

const Json& defaultObject() {
  static const Json defaults = toObject(Preferences{});
  return defaults;
}

// Whether the field at `pointer` of `object` still holds its default.
bool holdsDefault(const Json& object, const std::string& pointer) {
  const Json::json_pointer at(pointer);
  return object.contains(at) && defaultObject().contains(at) &&
         object.at(at) == defaultObject().at(at);
}

// A JSON number within [low, high]; `whole` also asks for a whole number.
bool inRange(const Json& v, double low, double high, bool whole) {
  if (v.is_number_unsigned()) {
    const auto u = static_cast<double>(v.get<std::uint64_t>());
    return u >= low && u <= high;
  }
  if (v.is_number_integer()) {
    const auto i = static_cast<double>(v.get<std::int64_t>());
    return i >= low && i <= high;
  }
  const double d = v.get<double>();
  return std::isfinite(d) && d >= low && d <= high && (!whole || std::trunc(d) == d);
}

// Replaces a number of `parent[key]` outside its range by `fallback` and keeps the stored text
// (a value that cannot be written back, such as an overflow read as infinity, is not kept).
// Values of another type are left for the decoder to refuse.
void takeInRange(Json& parent, const char* key, const std::string& pointer, double low,
                 double high, bool whole, const Json& fallback,
                 std::map<std::string, std::string>& kept) {
  const auto it = parent.find(key);
  if (it == parent.end() || !it->is_number() || inRange(*it, low, high, whole)) return;
  if (!it->is_number_float() || std::isfinite(it->get<double>())) kept[pointer] = it->dump();
  *it = fallback;
}

}  // namespace

bool Preferences::keeps(const std::string& pointer) const {
  return kept.contains(pointer) && holdsDefault(toObject(*this), pointer);
}

Expected<std::string> encodeJson(const Preferences& p) {
  // A non-finite time would be written as null and the document would no longer read back.
  for (double v : {p.alerts.sustained, p.alerts.cooldown, p.alerts.snoozeUntil}) {
    if (!std::isfinite(v)) return Error{"Preferences hold a number that is not finite."};
  }
  Json j = toObject(p);
  for (const auto& [pointer, text] : p.kept) {
    if (!holdsDefault(j, pointer)) continue;
    Json stored = Json::parse(text, nullptr, false);
    if (!stored.is_discarded()) j[Json::json_pointer(pointer)] = std::move(stored);
  }
  try {
    return j.dump(-1, ' ', false, Json::error_handler_t::strict);
  } catch (const Json::exception& e) {
    return Error{e.what()};
  }
}

Expected<Preferences> decodePreferences(std::string_view json) {
  Json j = Json::parse(json, nullptr, false);
  if (j.is_discarded()) return Error{"Preferences are not valid JSON."};
  if (!j.is_object()) return Error{"Preferences are not a JSON object."};
  auto need = [&](const char* key, auto test) -> Json* {
    auto it = j.find(key);
    if (it == j.end() || !test(*it)) return nullptr;
    return &*it;
  };
  const auto* unit = need("unit", [](const auto& v) { return v.is_string(); });
  const auto* menu = need("menu", [](const auto& v) { return v.is_string(); });
  const auto* retention = need("retention", [](const auto& v) { return v.is_number(); });
  const auto* activity = need("activity", [](const auto& v) { return v.is_boolean(); });
  const auto* advanced = need("advanced", [](const auto& v) { return v.is_boolean(); });
  auto* alerts = need("alerts", [](const auto& v) { return v.is_object(); });
  if (!unit || !menu || !retention || !activity || !advanced || !alerts) {
    return Error{"Preferences lack a key or hold a value of the wrong type."};
  }
  Preferences p;
  const Preferences defaults;
  const Json& d = defaultObject();
  takeInRange(j, "retention", kRetentionPointer, kRetentionDaysMin, kRetentionDaysMax, true,
              d["retention"], p.kept);
  const Json& da = d["alerts"];
  takeInRange(*alerts, "sustained", kSustainedPointer, 0, kSustainedMax, false, da["sustained"],
              p.kept);
  takeInRange(*alerts, "cooldown", kCooldownPointer, 0, kCooldownMax, false, da["cooldown"],
              p.kept);
  takeInRange(*alerts, "quietStart", kQuietStartPointer, 0, 23, true, da["quietStart"], p.kept);
  takeInRange(*alerts, "quietEnd", kQuietEndPointer, 0, 23, true, da["quietEnd"], p.kept);
  takeInRange(*alerts, "snoozeUntil", kSnoozePointer, -kSnoozeLimit, kSnoozeLimit, false,
              da["snoozeUntil"], p.kept);
  auto settings = alertSettingsFromJson(*alerts);
  if (!settings) return Error{settings.error()};
  const auto knownUnit = fromName<TemperatureUnit>(kUnitNames, unit->get<std::string>());
  const auto knownMenu = fromName<MenuMode>(kMenuNames, menu->get<std::string>());
  if (!knownUnit) p.kept[kUnitPointer] = unit->dump();
  if (!knownMenu) p.kept[kMenuPointer] = menu->dump();
  p.unit = knownUnit.value_or(defaults.unit);
  p.menu = knownMenu.value_or(defaults.menu);
  p.retention = retention->is_number_float()
                    ? static_cast<std::int64_t>(retention->get<double>())
                    : retention->get<std::int64_t>();
  p.activity = activity->get<bool>();
  p.advanced = advanced->get<bool>();
  p.alerts = std::move(settings.value());
  return p;
}

}  // namespace tempyra
