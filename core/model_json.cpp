#include "core/model_json.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

#include <simdjson.h>

#include "core/json_writer.h"
#include "core/thermal_state.h"

namespace tempyra {

// ---- vocabularies --------------------------------------------------------------------------

namespace {

constexpr std::pair<EventKind, std::string_view> kEventWords[] = {
    {EventKind::thermal, "Thermal"},       {EventKind::thermalState, "Thermal state"},
    {EventKind::power, "Power"},           {EventKind::monitoring, "Monitoring"},
    {EventKind::alert, "Alert"},
};
constexpr std::pair<PowerSource, std::string_view> kPowerWords[] = {
    {PowerSource::ac, "AC power"},
    {PowerSource::battery, "Battery"},
    {PowerSource::unknown, kNotAvailable},
};
constexpr std::pair<MetricKind, std::string_view> kMetricNames[] = {
    {MetricKind::cpuLoad, "CPU load"},
    {MetricKind::cpuTemperature, "CPU temperature"},
    {MetricKind::gpuTemperature, "GPU temperature"},
    {MetricKind::batteryTemperature, "Battery temperature"},
    {MetricKind::cpuSpeedLimit, "CPU speed limit"},
    {MetricKind::cpuSchedulerLimit, "CPU scheduler limit"},
};

template <class E, std::size_t N>
std::string_view wordOf(const std::pair<E, std::string_view> (&table)[N], E value) {
  for (const auto& [v, word] : table) {
    if (v == value) return word;
  }
  return {};
}

template <class E, std::size_t N>
E valueOf(const std::pair<E, std::string_view> (&table)[N], std::string_view word, E other) {
  for (const auto& [v, w] : table) {
    if (w == word) return v;
  }
  return other;
}

}  // namespace

std::string_view storedWord(EventKind kind) { return wordOf(kEventWords, kind); }
EventKind eventKindFromWord(std::string_view word) {
  return valueOf(kEventWords, word, EventKind::other);
}
std::string kindWords(const Event& e) {
  return e.kind == EventKind::other ? e.otherKind : std::string(storedWord(e.kind));
}

std::string_view storedWord(PowerSource source) { return wordOf(kPowerWords, source); }
PowerSource powerSourceFromWord(std::string_view word) {
  return valueOf(kPowerWords, word, PowerSource::other);
}
std::string sourceWords(const PowerContext& p) {
  return p.source == PowerSource::other ? p.otherSource : std::string(storedWord(p.source));
}
void setSourceWords(PowerContext& p, std::string_view words) {
  p.source = powerSourceFromWord(words);
  p.otherSource = p.source == PowerSource::other ? std::string(words) : std::string();
}

MetricKind metricKindFromStored(std::string_view name, std::string_view unit) {
  const MetricKind named = valueOf(kMetricNames, name, MetricKind::other);
  if (named != MetricKind::other) return named;
  if (name.starts_with("Sensor ")) return MetricKind::sensor;
  if (name.starts_with("Zone ")) return MetricKind::zone;
  if (unit == "RPM") return MetricKind::fan;
  return MetricKind::other;
}

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
  w.string(sourceWords(p));
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

void writePeak(JsonWriter& w, const char* name, const std::optional<Episode::Peak>& peak) {
  w.key(name);
  if (!peak) return w.null();
  w.beginObject();
  w.key("value");
  w.number(peak->value);
  w.key("at");
  w.number(peak->at);
  w.endObject();
}

void writeEpisode(JsonWriter& w, const Episode& e) {
  w.beginObject();
  w.key("start");
  w.number(e.start);
  w.key("end");
  w.number(e.end);
  w.key("duration");
  w.number(e.duration());
  w.key("highest");
  w.string(title(e.highest));
  w.key("brief");
  w.boolean(e.brief);
  w.key("seconds");
  w.beginObject();
  for (const auto& [state, seconds] : e.seconds) {
    w.key(title(state));
    w.number(seconds);
  }
  w.endObject();
  writePeak(w, "cpuTemperature", e.cpuTemperature);
  writePeak(w, "gpuTemperature", e.gpuTemperature);
  w.key("meanCpuLoad");
  if (e.meanCpuLoad) {
    w.number(*e.meanCpuLoad);
  } else {
    w.null();
  }
  w.key("powerSources");
  w.beginArray();
  for (const std::string& source : e.powerSources) w.string(source);
  w.endArray();
  w.key("processes");
  w.beginArray();
  for (const Episode::Process& p : e.processes) {
    w.beginObject();
    w.key("name");
    w.string(p.name);
    w.key("cpuSeconds");
    w.number(p.cpuSeconds);
    w.key("share");
    w.number(p.share);
    w.endObject();
  }
  w.endArray();
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
Expected<std::string> encodeJson(const Episode& e) {
  return encodeWith(e, writeEpisode, "Episode");
}

// ---- reading -------------------------------------------------------------------------------
//
// Stored readings are decoded on every history load (about 1,500 of them for a month's chart),
// so the reader parses with simdjson's validating DOM parser, one parser per thread, and maps
// the document onto the records in one pass per object. Where the parser's rules differ from
// what the format promises, the reader restores the promise:
// - Of duplicate keys the last one counts (for "capabilities" too), which is how stored records
//   have always read.
// - Integer literals beyond 64 bits are valid JSON numbers that the parser refuses; they are
//   read as the doubles they denote (see widenLongIntegers).
// - A leading UTF-8 byte order mark is skipped.
// What stays refused: invalid UTF-8 (also as escaped lone surrogates), numbers beyond the
// double range, trailing content, and nesting deeper than 1024 levels.

namespace {

namespace dom = simdjson::dom;

// Thrown only inside this file and always caught by decode(); carries the reason a record is
// unreadable.
struct Unreadable {
  std::string message;
};

// Where a value sits in the document ("reading.sensors[2]"), spelled out only when a record is
// refused, so decoding a readable record builds no path text.
struct Where {
  const char* name;  // the record kind at the root, otherwise the member's key
  const Where* parent = nullptr;
  std::ptrdiff_t index = -1;  // position in the member's array, when it is an array element

  // Appended piece by piece: GCC 12 at -O3 misreports "[" + std::string as overlapping copies.
  std::string text() const {
    std::string out;
    if (parent) {
      out = parent->text();
      out += '.';
    }
    out += name;
    if (index >= 0) {
      out += '[';
      out += std::to_string(index);
      out += ']';
    }
    return out;
  }
};

[[noreturn]] void fail(const Where& where, const std::string& what) {
  throw Unreadable{where.text() + ": " + what};
}

std::string quoted(std::string_view key) {
  std::string out(1, '"');
  out += key;
  out += '"';
  return out;
}

// Any JSON number form. A number too large for a double never gets here: the parser refuses
// the document, so whatever is read can be written again.
bool numberValue(dom::element v, double& out) {
  switch (v.type()) {
    case dom::element_type::INT64:
      out = static_cast<double>(v.get_int64().value_unsafe());
      return true;
    case dom::element_type::UINT64:
      out = static_cast<double>(v.get_uint64().value_unsafe());
      return true;
    case dom::element_type::DOUBLE:
      out = v.get_double().value_unsafe();
      return true;
    default:
      return false;
  }
}

// The members of one JSON object that a record knows (`keys`), gathered in one pass over the
// object. Unknown keys are ignored; of duplicate keys the last one counts.
template <std::size_t N>
class Members {
 public:
  Members(dom::element value, const std::array<std::string_view, N>& keys, const Where& where)
      : keys_(keys), where_(where) {
    dom::object object;
    if (value.get(object) != simdjson::SUCCESS) fail(where, "expected a JSON object");
    // Stored members come in the writer's order, so the search starts after the last match.
    std::size_t next = 0;
    for (const dom::key_value_pair member : object) {
      for (std::size_t tried = 0; tried < N; ++tried) {
        const std::size_t i = (next + tried) % N;
        if (member.key == keys_[i]) {
          values_[i] = member.value;
          present_[i] = true;
          next = i + 1;
          break;
        }
      }
    }
  }

  const Where& where() const { return where_; }

  dom::element required(std::size_t i) const {
    if (!present_[i]) fail(where_, "missing key " + quoted(keys_[i]));
    return values_[i];
  }

  // Nothing when the member is missing or null.
  std::optional<dom::element> optional(std::size_t i) const {
    if (!present_[i] || values_[i].is_null()) return std::nullopt;
    return values_[i];
  }

  std::string string(std::size_t i) const {
    std::string_view text;
    if (required(i).get(text) != simdjson::SUCCESS) {
      fail(where_, quoted(keys_[i]) + " must be a string");
    }
    return std::string(text);
  }

  double number(std::size_t i) const { return asNumber(required(i), i); }

  std::optional<double> optionalNumber(std::size_t i) const {
    const auto v = optional(i);
    if (!v) return std::nullopt;
    return asNumber(*v, i);
  }

  // An integer in [lo, hi], written in any JSON number form whose value is exactly integral
  // (5, 5.0 and 5e0 alike).
  std::int64_t integral(std::size_t i, std::int64_t lo, std::int64_t hi) const {
    const dom::element v = required(i);
    const auto outOfRange = [&] {
      fail(where_, quoted(keys_[i]) + " must be an integer from " + std::to_string(lo) + " to " +
                       std::to_string(hi));
    };
    switch (v.type()) {
      case dom::element_type::INT64: {
        const std::int64_t n = v.get_int64().value_unsafe();
        if (n < lo || n > hi) outOfRange();
        return n;
      }
      case dom::element_type::UINT64:  // only integers above the int64 range are stored so
        outOfRange();
        break;
      case dom::element_type::DOUBLE: {
        const double d = v.get_double().value_unsafe();
        // The bounds are small (32 bits), so they and every integer between are exact doubles.
        if (!(d >= static_cast<double>(lo) && d <= static_cast<double>(hi)) ||
            std::trunc(d) != d) {
          outOfRange();
        }
        return static_cast<std::int64_t>(d);
      }
      default:
        break;
    }
    fail(where_, quoted(keys_[i]) + " must be a number");
  }

  dom::array array(std::size_t i) const {
    dom::array items;
    if (required(i).get(items) != simdjson::SUCCESS) {
      fail(where_, quoted(keys_[i]) + " must be an array");
    }
    return items;
  }

 private:
  double asNumber(dom::element v, std::size_t i) const {
    double d = 0;
    if (!numberValue(v, d)) fail(where_, quoted(keys_[i]) + " must be a number");
    if (!std::isfinite(d)) fail(where_, quoted(keys_[i]) + " is out of range");
    return d;
  }

  const std::array<std::string_view, N>& keys_;
  const Where& where_;
  std::array<dom::element, N> values_{};
  std::array<bool, N> present_{};
};

constexpr std::array<std::string_view, 6> kMetricKeys = {"name",   "value",     "unit",
                                                         "source", "timestamp", "quality"};
constexpr std::array<std::string_view, 3> kPowerKeys = {"source", "battery", "charging"};
constexpr std::array<std::string_view, 3> kActivityKeys = {"id", "name", "cpu"};
constexpr std::array<std::string_view, 5> kProfileKeys = {"model", "architecture", "os", "fans",
                                                          "capabilities"};
constexpr std::array<std::string_view, 7> kReadingKeys = {
    "timestamp", "state", "cpu", "sensors", "power", "activity", "segment"};

Metric metricFrom(dom::element j, const Where& where) {
  const Members m(j, kMetricKeys, where);
  std::string name = m.string(0);
  std::optional<double> value = m.optionalNumber(1);
  std::string unit = m.string(2);
  std::string source = m.string(3);
  const double at = m.number(4);
  std::string quality = m.string(5);
  const MetricKind kind = metricKindFromStored(name, unit);
  return Metric(kind, std::move(name), value, std::move(unit), std::move(source), at,
                std::move(quality));
}

PowerContext powerFrom(dom::element j, const Where& where) {
  const Members m(j, kPowerKeys, where);
  PowerContext p;
  setSourceWords(p, m.string(0));
  p.battery = m.optionalNumber(1);
  if (const auto v = m.optional(2)) {
    bool charging = false;
    if (v->get(charging) != simdjson::SUCCESS) fail(where, "\"charging\" must be true or false");
    p.charging = charging;
  }
  return p;
}

ProcessActivity activityFrom(dom::element j, const Where& where) {
  const Members m(j, kActivityKeys, where);
  ProcessActivity a;
  a.id = static_cast<std::int32_t>(m.integral(0, std::numeric_limits<std::int32_t>::min(),
                                              std::numeric_limits<std::int32_t>::max()));
  a.name = m.string(1);
  a.cpu = m.number(2);
  return a;
}

DeviceProfile profileFrom(dom::element j, const Where& where) {
  const Members m(j, kProfileKeys, where);
  DeviceProfile d;
  d.model = m.string(0);
  d.architecture = m.string(1);
  d.os = m.string(2);
  d.fans = m.string(3);
  dom::object caps;
  if (m.required(4).get(caps) != simdjson::SUCCESS) {
    fail(where, "\"capabilities\" must be an object");
  }
  const Where inCaps{"capabilities", &where};
  for (const dom::key_value_pair member : caps) {
    std::string_view status;
    if (member.value.get(status) != simdjson::SUCCESS) {
      fail(inCaps, quoted(member.key) + " must be a string");
    }
    d.capabilities.insert_or_assign(std::string(member.key), std::string(status));
  }
  return d;
}

Reading readingFrom(dom::element j, const Where& where) {
  const Members m(j, kReadingKeys, where);
  Reading r;
  r.timestamp = m.number(0);
  r.state = *thermalStateFromRaw(m.integral(1, 0, 4));
  r.cpu = metricFrom(m.required(2), Where{"cpu", &where});
  const dom::array sensors = m.array(3);
  r.sensors.reserve(sensors.size());
  std::ptrdiff_t i = 0;
  for (const dom::element sensor : sensors) {
    r.sensors.push_back(metricFrom(sensor, Where{"sensors", &where, i++}));
  }
  r.power = powerFrom(m.required(4), Where{"power", &where});
  const dom::array activity = m.array(5);
  r.activity.reserve(activity.size());
  i = 0;
  for (const dom::element process : activity) {
    r.activity.push_back(activityFrom(process, Where{"activity", &where, i++}));
  }
  r.segment = m.string(6);
  return r;
}

bool numberStart(char c) { return c == '-' || (c >= '0' && c <= '9'); }

// The parser refuses integer literals outside [-2^63, 2^64), which JSON allows and which read as
// doubles everywhere else. Gives `text` with ".0" after every integer literal of 19 or more
// digits outside strings, so that the parser reads each as the double it denotes (smaller
// integers are unchanged, and so is any value). Nothing when there is no such literal.
std::optional<std::string> widenLongIntegers(std::string_view text) {
  std::string out;
  bool changed = false;
  std::size_t copied = 0;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '"') {
      for (++i; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] == '\\') ++i;
      }
      ++i;
      continue;
    }
    if (!numberStart(c)) {
      ++i;
      continue;
    }
    std::size_t end = i + (c == '-' ? 1 : 0);
    std::size_t digits = 0;
    for (; end < text.size() && text[end] >= '0' && text[end] <= '9'; ++end) ++digits;
    const bool fraction =
        end < text.size() && (text[end] == '.' || text[end] == 'e' || text[end] == 'E');
    if (digits >= 19 && !fraction) {
      out.append(text.substr(copied, end - copied));
      out += ".0";
      copied = end;
      changed = true;
    }
    // Skip the rest of the literal (fraction and exponent) so none of it starts a new one.
    while (end < text.size() && (numberStart(text[end]) || text[end] == '.' || text[end] == 'e' ||
                                 text[end] == 'E' || text[end] == '+')) {
      ++end;
    }
    i = end;
  }
  if (!changed) return std::nullopt;
  out.append(text.substr(copied));
  return out;
}

template <class T>
Expected<T> decode(std::string_view text, T (*from)(dom::element, const Where&),
                   const char* what) {
  // One parser per thread: it keeps its buffers between documents, so a history load allocates
  // only for the decoded records.
  thread_local dom::parser parser;
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  dom::element root;
  // parse() copies the text into the parser's own padded buffer.
  auto error = parser.parse(text.empty() ? "" : text.data(), text.size()).get(root);
  std::string widened;
  if (error == simdjson::NUMBER_ERROR) {
    if (auto w = widenLongIntegers(text)) {
      widened = std::move(*w);
      error = parser.parse(widened.data(), widened.size()).get(root);
    }
  }
  if (error != simdjson::SUCCESS) {
    return Error{std::string(what) + ": not valid JSON (" + simdjson::error_message(error) + ")"};
  }
  try {
    return from(root, Where{what});
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
