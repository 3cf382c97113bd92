#include "core/model_json.h"

#include <cmath>
#include <limits>
#include <optional>

#include <nlohmann/json.hpp>

#include "core/json_writer.h"
#include "core/thermal_state.h"

namespace tempyra {

using nlohmann::json;

// ---- writing -------------------------------------------------------------------------------

namespace {

void writeMetric(JsonWriter& w, const Metric& m) {
  w.beginObject();
  w.key("name");
  w.string(m.name);
  if (m.value) {
    w.key("value");
    w.number(*m.value);
  }
  w.key("unit");
  w.string(m.unit);
  w.key("source");
  w.string(m.source);
  w.key("timestamp");
  w.number(m.timestamp);
  w.key("quality");
  w.string(m.quality);
  w.endObject();
}

void writePower(JsonWriter& w, const PowerContext& p) {
  w.beginObject();
  w.key("source");
  w.string(p.source);
  if (p.battery) {
    w.key("battery");
    w.number(*p.battery);
  }
  if (p.charging) {
    w.key("charging");
    w.boolean(*p.charging);
  }
  w.endObject();
}

void writeActivity(JsonWriter& w, const ProcessActivity& a) {
  w.beginObject();
  w.key("id");
  w.integer(a.id);
  w.key("name");
  w.string(a.name);
  w.key("cpu");
  w.number(a.cpu);
  w.endObject();
}

void writeProfile(JsonWriter& w, const DeviceProfile& d) {
  w.beginObject();
  w.key("model");
  w.string(d.model);
  w.key("architecture");
  w.string(d.architecture);
  w.key("os");
  w.string(d.os);
  w.key("fans");
  w.string(d.fans);
  w.key("capabilities");
  w.beginObject();
  for (const auto& [name, status] : d.capabilities) {
    w.key(name);
    w.string(status);
  }
  w.endObject();
  w.endObject();
}

void writeReading(JsonWriter& w, const Reading& r) {
  w.beginObject();
  w.key("timestamp");
  w.number(r.timestamp);
  w.key("state");
  w.integer(rawValue(r.state));
  w.key("cpu");
  writeMetric(w, r.cpu);
  w.key("sensors");
  w.beginArray();
  for (const auto& m : r.sensors) writeMetric(w, m);
  w.endArray();
  w.key("power");
  writePower(w, r.power);
  w.key("activity");
  w.beginArray();
  for (const auto& a : r.activity) writeActivity(w, a);
  w.endArray();
  w.key("segment");
  w.string(r.segment);
  w.endObject();
}

template <class T, class F>
Expected<std::string> encodeWith(const T& value, F write, const char* what) {
  JsonWriter w;
  write(w, value);
  auto out = w.finish();
  if (!out) return Error{std::string(what) + " cannot be written: " + out.error()};
  return out;
}

}  // namespace

Expected<std::string> encodeJson(const Metric& m) { return encodeWith(m, writeMetric, "Metric"); }
Expected<std::string> encodeJson(const PowerContext& p) {
  return encodeWith(p, writePower, "PowerContext");
}
Expected<std::string> encodeJson(const ProcessActivity& a) {
  return encodeWith(a, writeActivity, "ProcessActivity");
}
Expected<std::string> encodeJson(const DeviceProfile& d) {
  return encodeWith(d, writeProfile, "DeviceProfile");
}
Expected<std::string> encodeJson(const Reading& r) {
  return encodeWith(r, writeReading, "Reading");
}

// ---- reading -------------------------------------------------------------------------------

namespace {

// Thrown only inside this file and always caught by decode(); carries the reason a record is
// unreadable.
struct Unreadable {
  std::string message;
};

[[noreturn]] void fail(const std::string& where, const std::string& what) {
  throw Unreadable{where + ": " + what};
}

const json& required(const json& obj, const char* key, const std::string& where) {
  const auto it = obj.find(key);
  if (it == obj.end()) fail(where, std::string("missing key \"") + key + "\"");
  return *it;
}

// nullptr when the key is missing or null.
const json* optional(const json& obj, const char* key) {
  const auto it = obj.find(key);
  if (it == obj.end() || it->is_null()) return nullptr;
  return &*it;
}

void requireObject(const json& j, const std::string& where) {
  if (!j.is_object()) fail(where, "expected a JSON object");
}

std::string readString(const json& j, const char* key, const std::string& where) {
  const json& v = required(j, key, where);
  if (!v.is_string()) fail(where, std::string("\"") + key + "\" must be a string");
  return v.get<std::string>();
}

// Any JSON number form. A number too large for a double (1e999) is refused, so whatever is read
// can be written again.
double asNumber(const json& v, const char* key, const std::string& where) {
  if (!v.is_number()) fail(where, std::string("\"") + key + "\" must be a number");
  const double d = v.get<double>();
  if (!std::isfinite(d)) fail(where, std::string("\"") + key + "\" is out of range");
  return d;
}

double readNumber(const json& j, const char* key, const std::string& where) {
  return asNumber(required(j, key, where), key, where);
}

std::optional<double> readOptionalNumber(const json& j, const char* key,
                                         const std::string& where) {
  const json* v = optional(j, key);
  if (!v) return std::nullopt;
  return asNumber(*v, key, where);
}

// An integer in [lo, hi], written in any JSON number form whose value is exactly integral
// (5, 5.0 and 5e0 alike).
std::int64_t readIntegral(const json& j, const char* key, std::int64_t lo, std::int64_t hi,
                          const std::string& where) {
  const json& v = required(j, key, where);
  const std::string range = " must be an integer from " + std::to_string(lo) + " to " +
                            std::to_string(hi);
  if (v.is_number_unsigned()) {
    const auto u = v.get<std::uint64_t>();
    if (u > static_cast<std::uint64_t>(hi)) fail(where, std::string("\"") + key + "\"" + range);
    return static_cast<std::int64_t>(u);
  }
  if (v.is_number_integer()) {
    const auto i = v.get<std::int64_t>();
    if (i < lo || i > hi) fail(where, std::string("\"") + key + "\"" + range);
    return i;
  }
  if (v.is_number_float()) {
    const double d = v.get<double>();
    // The bounds are small (32 bits), so they and every integer between are exact doubles.
    if (!(d >= static_cast<double>(lo) && d <= static_cast<double>(hi)) || std::trunc(d) != d) {
      fail(where, std::string("\"") + key + "\"" + range);
    }
    return static_cast<std::int64_t>(d);
  }
  fail(where, std::string("\"") + key + "\" must be a number");
}

const json& readArray(const json& j, const char* key, const std::string& where) {
  const json& v = required(j, key, where);
  if (!v.is_array()) fail(where, std::string("\"") + key + "\" must be an array");
  return v;
}

Metric metricFrom(const json& j, const std::string& where) {
  requireObject(j, where);
  std::string name = readString(j, "name", where);
  std::optional<double> value = readOptionalNumber(j, "value", where);
  std::string unit = readString(j, "unit", where);
  std::string source = readString(j, "source", where);
  const double at = readNumber(j, "timestamp", where);
  std::string quality = readString(j, "quality", where);
  return Metric(std::move(name), value, std::move(unit), std::move(source), at,
                std::move(quality));
}

PowerContext powerFrom(const json& j, const std::string& where) {
  requireObject(j, where);
  PowerContext p;
  p.source = readString(j, "source", where);
  p.battery = readOptionalNumber(j, "battery", where);
  if (const json* v = optional(j, "charging")) {
    if (!v->is_boolean()) fail(where, "\"charging\" must be true or false");
    p.charging = v->get<bool>();
  }
  return p;
}

ProcessActivity activityFrom(const json& j, const std::string& where) {
  requireObject(j, where);
  ProcessActivity a;
  a.id = static_cast<std::int32_t>(readIntegral(j, "id", std::numeric_limits<std::int32_t>::min(),
                                                std::numeric_limits<std::int32_t>::max(), where));
  a.name = readString(j, "name", where);
  a.cpu = readNumber(j, "cpu", where);
  return a;
}

DeviceProfile profileFrom(const json& j, const std::string& where) {
  requireObject(j, where);
  DeviceProfile d;
  d.model = readString(j, "model", where);
  d.architecture = readString(j, "architecture", where);
  d.os = readString(j, "os", where);
  d.fans = readString(j, "fans", where);
  const json& caps = required(j, "capabilities", where);
  if (!caps.is_object()) fail(where, "\"capabilities\" must be an object");
  for (const auto& [name, status] : caps.items()) {
    if (!status.is_string()) fail(where + ".capabilities", "\"" + name + "\" must be a string");
    d.capabilities.emplace(name, status.get<std::string>());
  }
  return d;
}

Reading readingFrom(const json& j, const std::string& where) {
  requireObject(j, where);
  Reading r;
  r.timestamp = readNumber(j, "timestamp", where);
  r.state = *thermalStateFromRaw(readIntegral(j, "state", 0, 4, where));
  r.cpu = metricFrom(required(j, "cpu", where), where + ".cpu");
  const json& sensors = readArray(j, "sensors", where);
  r.sensors.reserve(sensors.size());
  for (std::size_t i = 0; i < sensors.size(); ++i) {
    r.sensors.push_back(metricFrom(sensors[i], where + ".sensors[" + std::to_string(i) + "]"));
  }
  r.power = powerFrom(required(j, "power", where), where + ".power");
  const json& activity = readArray(j, "activity", where);
  r.activity.reserve(activity.size());
  for (std::size_t i = 0; i < activity.size(); ++i) {
    r.activity.push_back(
        activityFrom(activity[i], where + ".activity[" + std::to_string(i) + "]"));
  }
  r.segment = readString(j, "segment", where);
  return r;
}

template <class T>
Expected<T> decode(std::string_view text, T (*from)(const json&, const std::string&),
                   const char* what) {
  try {
    const json j = json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
    if (j.is_discarded()) return Error{std::string(what) + ": not valid JSON"};
    return from(j, what);
  } catch (const Unreadable& u) {
    return Error{u.message};
  } catch (const std::exception& e) {
    return Error{std::string(what) + ": unreadable (" + e.what() + ")"};
  }
}

}  // namespace

Expected<Metric> decodeMetric(std::string_view json) {
  return decode<Metric>(json, metricFrom, "metric");
}
Expected<PowerContext> decodePowerContext(std::string_view json) {
  return decode<PowerContext>(json, powerFrom, "power");
}
Expected<ProcessActivity> decodeProcessActivity(std::string_view json) {
  return decode<ProcessActivity>(json, activityFrom, "process activity");
}
Expected<DeviceProfile> decodeDeviceProfile(std::string_view json) {
  return decode<DeviceProfile>(json, profileFrom, "device profile");
}
Expected<Reading> decodeReading(std::string_view json) {
  return decode<Reading>(json, readingFrom, "reading");
}

}  // namespace tempyra
