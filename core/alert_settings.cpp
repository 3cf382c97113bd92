#include "core/alert_settings.h"

#include <cmath>
#include <limits>

#include <nlohmann/json.hpp>

namespace tempyra {

using nlohmann::json;

bool AlertSettings::isQuiet(double date, const Calendar& calendar) const {
  if (!quietEnabled) return false;
  const std::int64_t hour = calendar.hour(date);
  if (quietStart == quietEnd) return true;  // equal start and end: quiet all day
  if (quietStart < quietEnd) return quietStart <= hour && hour < quietEnd;
  return hour >= quietStart || hour < quietEnd;  // wraps past midnight
}

json toJson(const AlertSettings& s) {
  return json{{"enabled", s.enabled},
              {"sustained", s.sustained},
              {"cooldown", s.cooldown},
              {"quietEnabled", s.quietEnabled},
              {"quietStart", s.quietStart},
              {"quietEnd", s.quietEnd},
              {"snoozeUntil", s.snoozeUntil - kSeconds1970To2001}};
}

namespace {

// nullptr with `error` set when the key is missing or null.
const json* member(const json& j, const char* key, std::string& error) {
  const auto it = j.find(key);
  if (it == j.end() || it->is_null()) {
    error = std::string("alert settings: missing key \"") + key + "\"";
    return nullptr;
  }
  return &*it;
}

bool readBool(const json& j, const char* key, bool& out, std::string& error) {
  const json* v = member(j, key, error);
  if (!v) return false;
  if (!v->is_boolean()) {
    error = std::string("alert settings: \"") + key + "\" must be true or false";
    return false;
  }
  out = v->get<bool>();
  return true;
}

bool readNumber(const json& j, const char* key, double& out, std::string& error) {
  const json* v = member(j, key, error);
  if (!v) return false;
  if (!v->is_number() || !std::isfinite(v->get<double>())) {
    error = std::string("alert settings: \"") + key + "\" must be a number";
    return false;
  }
  out = v->get<double>();
  return true;
}

// A 64-bit integer in any JSON number form whose value is exactly integral.
bool readInteger(const json& j, const char* key, std::int64_t& out, std::string& error) {
  const json* v = member(j, key, error);
  if (!v) return false;
  if (v->is_number_unsigned()) {
    const auto u = v->get<std::uint64_t>();
    if (u <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
      out = static_cast<std::int64_t>(u);
      return true;
    }
  } else if (v->is_number_integer()) {
    out = v->get<std::int64_t>();
    return true;
  } else if (v->is_number_float()) {
    const double d = v->get<double>();
    // 2^63 is exact as a double; every integral double below it converts without overflow.
    if (std::trunc(d) == d && d >= -9223372036854775808.0 && d < 9223372036854775808.0) {
      out = static_cast<std::int64_t>(d);
      return true;
    }
  }
  error = std::string("alert settings: \"") + key + "\" must be an integer";
  return false;
}

}  // namespace

Expected<AlertSettings> alertSettingsFromJson(const json& j) {
  if (!j.is_object()) return Error{"alert settings: expected a JSON object"};
  AlertSettings s;
  std::string error;
  double snooze2001 = 0;
  const bool ok = readBool(j, "enabled", s.enabled, error) &&
                  readNumber(j, "sustained", s.sustained, error) &&
                  readNumber(j, "cooldown", s.cooldown, error) &&
                  readBool(j, "quietEnabled", s.quietEnabled, error) &&
                  readInteger(j, "quietStart", s.quietStart, error) &&
                  readInteger(j, "quietEnd", s.quietEnd, error) &&
                  readNumber(j, "snoozeUntil", snooze2001, error);
  if (!ok) return Error{error};
  s.snoozeUntil = snooze2001 + kSeconds1970To2001;
  return s;
}

}  // namespace tempyra
