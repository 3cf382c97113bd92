#include "app/surface_codec.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include <simdjson.h>

#include "app/monitor_surface.h"
#include "core/json_writer.h"

namespace tempyra {

// The records, each a JSON array of these fields (a "list" is a JSON array of such records):
//   metric       [kind, name, value|null, unit, source, timestamp, quality]
//   power        [source, battery|null, charging|null, otherSource]
//   process      [id, name, cpu]
//   reading      [timestamp, state, cpu metric, sensor metrics, power, processes, segment]
//   problem      [kind, detail, count, file]
//   away         [episodes, seconds, highest, busiest]
//   peak         [value, at]
//   episode      [start, end, highest, [[state, seconds]...], cpu peak|null, gpu peak|null,
//                 meanCpuLoad|null, power sources, [[name, cpuSeconds, share]...], brief]
//   event        [id, time, kind, detail, otherKind]
//   alerts       [enabled, sustained, cooldown, quietEnabled, quietStart, quietEnd, snoozeUntil]
//   preferences  [unit, menu, retention, activity, advanced, alerts, [[pointer, text]...]]
//   profile      [model, architecture, os, fans, [[capability, status]...]]
//   value        [type, text|flag|date]
// The documents:
//   live facts   [reading|null, paused, asleep, problem|null, away|null, stateSince]
//   history      [readings, events, [[state, seconds]...], episodes, problem|null]
//   setup        [preferences, permission, loginStatus, metricsFolder|null, metricsProblem|null,
//                 profile, demo]
//   defaults     [[[key, value]...], problem|null]
//   write        [key, value|null]

namespace {

// ---- writing -------------------------------------------------------------------------------

class Out {
 public:
  explicit Out(std::size_t reserve = 0) { text_.reserve(reserve); }
  std::string take() { return std::move(text_); }

  void open() {
    separate();
    text_ += '[';
    first_ = true;
  }
  void close() {
    text_ += ']';
    first_ = false;
  }
  void null() {
    separate();
    text_ += "null";
  }
  void boolean(bool b) {
    separate();
    text_ += b ? "true" : "false";
  }
  void integer(std::int64_t n) {
    separate();
    char buf[24];
    text_.append(buf, std::to_chars(buf, buf + sizeof buf, n).ptr);
  }
  template <class E>
  void word(E e) {
    integer(static_cast<std::int64_t>(e));
  }
  void number(double d) {
    separate();
    if (std::isnan(d)) {
      text_ += "\"NaN\"";
    } else if (std::isinf(d)) {
      text_ += d > 0 ? "\"Infinity\"" : "\"-Infinity\"";
    } else if (d == 0 || (std::fabs(d) >= 1e-5 && std::fabs(d) < 1e17)) {
      JsonWriter::appendNumber(text_, d);  // -0 as "-0.0", whole numbers as integer literals
    } else {
      // Never a long integer literal, which the reader would refuse beyond 64 bits.
      char buf[40];
      text_.append(buf, std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific).ptr);
    }
  }
  void text(std::string_view s) {
    separate();
    // Valid UTF-8 goes as it is, in runs between the characters that need an escape (quote,
    // backslash, controls: so the text holds no raw newline).
    static constexpr char kHex[] = "0123456789abcdef";
    const std::size_t start = text_.size();
    text_ += '"';
    std::size_t run = 0;
    bool ascii = true;
    for (std::size_t i = 0; i < s.size(); ++i) {
      const auto c = static_cast<unsigned char>(s[i]);
      if (c >= 0x20 && c != '"' && c != '\\') {
        ascii &= c < 0x80;
        continue;
      }
      text_.append(s.data() + run, i - run);
      run = i + 1;
      if (c >= 0x20) {
        text_ += '\\';
        text_ += static_cast<char>(c);
      } else {
        text_ += "\\u00";
        text_ += kHex[c >> 4];
        text_ += kHex[c & 0xF];
      }
    }
    text_.append(s.data() + run, s.size() - run);
    text_ += '"';
    if (ascii || simdjson::validate_utf8(s.data(), s.size())) return;
    // Any other bytes go as the list of their values.
    text_.resize(start);
    text_ += '[';
    first_ = true;
    for (const char c : s) integer(static_cast<unsigned char>(c));
    close();
  }

 private:
  void separate() {
    if (!first_) text_ += ',';
    first_ = false;
  }

  std::string text_;
  bool first_ = true;
};

template <class T>
void optional(Out& o, const std::optional<T>& v, void (*write)(Out&, const T&)) {
  if (v) {
    write(o, *v);
  } else {
    o.null();
  }
}

void number(Out& o, const double& d) { o.number(d); }

void writeStateSeconds(Out& o, const std::map<ThermalState, double>& seconds) {
  o.open();
  for (const auto& [state, s] : seconds) {
    o.open();
    o.word(state);
    o.number(s);
    o.close();
  }
  o.close();
}

void writeTextMap(Out& o, const std::map<std::string, std::string>& map) {
  o.open();
  for (const auto& [key, value] : map) {
    o.open();
    o.text(key);
    o.text(value);
    o.close();
  }
  o.close();
}

void writeMetric(Out& o, const Metric& m) {
  o.open();
  o.word(m.kind);
  o.text(m.name);
  optional(o, m.value, number);
  o.text(m.unit);
  o.text(m.source);
  o.number(m.timestamp);
  o.text(m.quality);
  o.close();
}

void writeReading(Out& o, const Reading& r) {
  o.open();
  o.number(r.timestamp);
  o.word(r.state);
  writeMetric(o, r.cpu);
  o.open();
  for (const Metric& m : r.sensors) writeMetric(o, m);
  o.close();
  o.open();
  o.word(r.power.source);
  optional(o, r.power.battery, number);
  if (r.power.charging) {
    o.boolean(*r.power.charging);
  } else {
    o.null();
  }
  o.text(r.power.otherSource);
  o.close();
  o.open();
  for (const ProcessActivity& a : r.activity) {
    o.open();
    o.integer(a.id);
    o.text(a.name);
    o.number(a.cpu);
    o.close();
  }
  o.close();
  o.text(r.segment);
  o.close();
}

void writeProblem(Out& o, const Problem& p) {
  o.open();
  o.word(p.kind);
  o.text(p.detail);
  o.integer(p.count);
  o.text(p.file.native());
  o.close();
}

void writeAway(Out& o, const AwaySummary& a) {
  o.open();
  o.integer(a.episodes);
  o.number(a.seconds);
  o.word(a.highest);
  o.text(a.busiest);
  o.close();
}

void writePeak(Out& o, const Episode::Peak& p) {
  o.open();
  o.number(p.value);
  o.number(p.at);
  o.close();
}

void writeEpisode(Out& o, const Episode& e) {
  o.open();
  o.number(e.start);
  o.number(e.end);
  o.word(e.highest);
  writeStateSeconds(o, e.seconds);
  optional(o, e.cpuTemperature, writePeak);
  optional(o, e.gpuTemperature, writePeak);
  optional(o, e.meanCpuLoad, number);
  o.open();
  for (const std::string& s : e.powerSources) o.text(s);
  o.close();
  o.open();
  for (const Episode::Process& p : e.processes) {
    o.open();
    o.text(p.name);
    o.number(p.cpuSeconds);
    o.number(p.share);
    o.close();
  }
  o.close();
  o.boolean(e.brief);
  o.close();
}

void writeEvent(Out& o, const Event& e) {
  o.open();
  o.integer(e.id);
  o.number(e.time);
  o.word(e.kind);
  o.text(e.detail);
  o.text(e.otherKind);
  o.close();
}

void writePreferences(Out& o, const Preferences& p) {
  o.open();
  o.word(p.unit);
  o.word(p.menu);
  o.integer(p.retention);
  o.boolean(p.activity);
  o.boolean(p.advanced);
  const AlertSettings& a = p.alerts;
  o.open();
  o.boolean(a.enabled);
  o.number(a.sustained);
  o.number(a.cooldown);
  o.boolean(a.quietEnabled);
  o.integer(a.quietStart);
  o.integer(a.quietEnd);
  o.number(a.snoozeUntil);
  o.close();
  writeTextMap(o, p.kept);
  o.close();
}

void writeProfile(Out& o, const DeviceProfile& d) {
  o.open();
  o.text(d.model);
  o.text(d.architecture);
  o.text(d.os);
  o.text(d.fans);
  writeTextMap(o, d.capabilities);
  o.close();
}

void writeValue(Out& o, const DefaultValue& v) {
  o.open();
  o.word(v.type);
  switch (v.type) {
    case DefaultType::bytes:
    case DefaultType::string: o.text(v.text); break;
    case DefaultType::boolean: o.boolean(v.flag); break;
    case DefaultType::date: o.number(v.date); break;
  }
  o.close();
}

// ---- reading -------------------------------------------------------------------------------

namespace dom = simdjson::dom;

// Thrown only inside this file and always caught by decodeDocument(); says why the text is
// refused.
struct Unreadable {
  std::string message;
};

// `what` names the record; empty for the document itself.
[[noreturn]] void fail(const char* what, const std::string& why) {
  throw Unreadable{*what ? std::string(what) + ": " + why : why};
}

dom::array listAt(dom::element e, const char* what) {
  dom::array items;
  if (e.get(items) != simdjson::SUCCESS) fail(what, "expected a list");
  return items;
}

template <class T, class F>
std::vector<T> listOf(dom::element e, const char* what, F from) {
  const dom::array items = listAt(e, what);
  std::vector<T> out;
  out.reserve(items.size());
  for (const dom::element item : items) out.push_back(from(item));
  return out;
}

// A JSON string, or the list of byte values of a text that is not valid UTF-8.
std::optional<std::string> textOf(dom::element v) {
  std::string_view s;
  if (v.get(s) == simdjson::SUCCESS) return std::string(s);
  dom::array bytes;
  if (v.get(bytes) != simdjson::SUCCESS) return std::nullopt;
  std::string out;
  out.reserve(bytes.size());
  for (const dom::element b : bytes) {
    std::int64_t n = 0;
    if (b.type() != dom::element_type::INT64 || b.get(n) != simdjson::SUCCESS || n < 0 ||
        n > 255) {
      return std::nullopt;
    }
    out.push_back(static_cast<char>(static_cast<unsigned char>(n)));
  }
  return out;
}

// One record: a JSON array of exactly as many values as the record has fields.
class Fields {
 public:
  Fields(dom::element e, std::size_t count, const char* what) : what_(what) {
    for (const dom::element v : listAt(e, what)) {
      if (count_ == count || count_ == values_.size()) {
        fail(what, "more than " + std::to_string(count) + " fields");
      }
      values_[count_++] = v;
    }
    if (count_ != count) fail(what, std::to_string(count) + " fields expected");
  }

  dom::element at(std::size_t i) const { return values_[i]; }
  bool isNull(std::size_t i) const { return values_[i].is_null(); }

  bool boolean(std::size_t i) const {
    bool b = false;
    if (values_[i].get(b) != simdjson::SUCCESS) refuse(i, "true or false");
    return b;
  }

  std::int64_t integer(std::size_t i, std::int64_t lo, std::int64_t hi) const {
    std::int64_t n = 0;
    if (values_[i].type() != dom::element_type::INT64 || values_[i].get(n) != simdjson::SUCCESS ||
        n < lo || n > hi) {
      refuse(i, lo == std::numeric_limits<std::int64_t>::min()
                    ? std::string("an integer")
                    : "an integer from " + std::to_string(lo) + " to " + std::to_string(hi));
    }
    return n;
  }

  // A case of an enumeration whose cases are numbered 0 to `last`.
  template <class E>
  E word(std::size_t i, E last) const {
    return static_cast<E>(integer(i, 0, static_cast<std::int64_t>(last)));
  }

  double number(std::size_t i) const {
    const dom::element v = values_[i];
    switch (v.type()) {
      case dom::element_type::INT64: return static_cast<double>(v.get_int64().value_unsafe());
      case dom::element_type::UINT64: return static_cast<double>(v.get_uint64().value_unsafe());
      case dom::element_type::DOUBLE: return v.get_double().value_unsafe();
      case dom::element_type::STRING: {
        const std::string_view s = v.get_string().value_unsafe();
        if (s == "NaN") return std::numeric_limits<double>::quiet_NaN();
        if (s == "Infinity") return std::numeric_limits<double>::infinity();
        if (s == "-Infinity") return -std::numeric_limits<double>::infinity();
        break;
      }
      default: break;
    }
    refuse(i, "a number");
  }

  std::optional<double> optionalNumber(std::size_t i) const {
    if (isNull(i)) return std::nullopt;
    return number(i);
  }

  std::string text(std::size_t i) const {
    auto t = textOf(values_[i]);
    if (!t) refuse(i, "a text");
    return std::move(*t);
  }

 private:
  [[noreturn]] void refuse(std::size_t i, const std::string& wanted) const {
    fail(what_, "field " + std::to_string(i + 1) + " must be " + wanted);
  }

  const char* what_;
  std::array<dom::element, 10> values_{};
  std::size_t count_ = 0;
};

std::map<ThermalState, double> stateSecondsFrom(dom::element e) {
  std::map<ThermalState, double> out;
  for (const dom::element item : listAt(e, "state seconds")) {
    const Fields f(item, 2, "state seconds");
    out.insert_or_assign(f.word(0, ThermalState::unknown), f.number(1));
  }
  return out;
}

std::map<std::string, std::string> textMapFrom(dom::element e, const char* what) {
  std::map<std::string, std::string> out;
  for (const dom::element item : listAt(e, what)) {
    const Fields f(item, 2, what);
    out.insert_or_assign(f.text(0), f.text(1));
  }
  return out;
}

Metric metricFrom(dom::element e) {
  const Fields f(e, 7, "metric");
  Metric m;
  m.kind = f.word(0, MetricKind::fan);
  m.name = f.text(1);
  m.value = f.optionalNumber(2);
  m.unit = f.text(3);
  m.source = f.text(4);
  m.timestamp = f.number(5);
  m.quality = f.text(6);
  return m;
}

PowerContext powerFrom(dom::element e) {
  const Fields f(e, 4, "power");
  PowerContext p;
  p.source = f.word(0, PowerSource::other);
  p.battery = f.optionalNumber(1);
  if (!f.isNull(2)) p.charging = f.boolean(2);
  p.otherSource = f.text(3);
  return p;
}

ProcessActivity processFrom(dom::element e) {
  const Fields f(e, 3, "process");
  return ProcessActivity{
      static_cast<std::int32_t>(f.integer(0, std::numeric_limits<std::int32_t>::min(),
                                          std::numeric_limits<std::int32_t>::max())),
      f.text(1), f.number(2)};
}

Reading readingFrom(dom::element e) {
  const Fields f(e, 7, "reading");
  Reading r;
  r.timestamp = f.number(0);
  r.state = f.word(1, ThermalState::unknown);
  r.cpu = metricFrom(f.at(2));
  r.sensors = listOf<Metric>(f.at(3), "sensors", metricFrom);
  r.power = powerFrom(f.at(4));
  r.activity = listOf<ProcessActivity>(f.at(5), "activity", processFrom);
  r.segment = f.text(6);
  return r;
}

Problem problemFrom(dom::element e) {
  const Fields f(e, 4, "problem");
  return Problem{f.word(0, ProblemKind::reported), f.text(1),
                 f.integer(2, std::numeric_limits<long long>::min(),
                           std::numeric_limits<long long>::max()),
                 std::filesystem::path(f.text(3))};
}

AwaySummary awayFrom(dom::element e) {
  const Fields f(e, 4, "away");
  return AwaySummary{static_cast<int>(f.integer(0, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max())),
                     f.number(1), f.word(2, ThermalState::unknown), f.text(3)};
}

Episode::Peak peakFrom(dom::element e) {
  const Fields f(e, 2, "peak");
  return Episode::Peak{f.number(0), f.number(1)};
}

Episode::Process episodeProcessFrom(dom::element e) {
  const Fields f(e, 3, "episode process");
  return Episode::Process{f.text(0), f.number(1), f.number(2)};
}

std::string sourceFrom(dom::element e) {
  auto t = textOf(e);
  if (!t) fail("power sources", "expected texts");
  return std::move(*t);
}

template <class T>
std::optional<T> optionalFrom(const Fields& f, std::size_t i, T (*from)(dom::element)) {
  if (f.isNull(i)) return std::nullopt;
  return from(f.at(i));
}

Episode episodeFrom(dom::element e) {
  const Fields f(e, 10, "episode");
  Episode ep;
  ep.start = f.number(0);
  ep.end = f.number(1);
  ep.highest = f.word(2, ThermalState::unknown);
  ep.seconds = stateSecondsFrom(f.at(3));
  ep.cpuTemperature = optionalFrom(f, 4, peakFrom);
  ep.gpuTemperature = optionalFrom(f, 5, peakFrom);
  ep.meanCpuLoad = f.optionalNumber(6);
  ep.powerSources = listOf<std::string>(f.at(7), "power sources", sourceFrom);
  ep.processes = listOf<Episode::Process>(f.at(8), "episode processes", episodeProcessFrom);
  ep.brief = f.boolean(9);
  return ep;
}

Event eventFrom(dom::element e) {
  const Fields f(e, 5, "event");
  return Event{f.integer(0, std::numeric_limits<std::int64_t>::min(),
                         std::numeric_limits<std::int64_t>::max()),
               f.number(1), f.word(2, EventKind::other), f.text(3), f.text(4)};
}

Preferences preferencesFrom(dom::element e) {
  constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  const Fields f(e, 7, "preferences");
  Preferences p;
  p.unit = f.word(0, TemperatureUnit::fahrenheit);
  p.menu = f.word(1, MenuMode::mixed);
  p.retention = f.integer(2, kMin, kMax);
  p.activity = f.boolean(3);
  p.advanced = f.boolean(4);
  const Fields a(f.at(5), 7, "alerts");
  p.alerts.enabled = a.boolean(0);
  p.alerts.sustained = a.number(1);
  p.alerts.cooldown = a.number(2);
  p.alerts.quietEnabled = a.boolean(3);
  p.alerts.quietStart = a.integer(4, kMin, kMax);
  p.alerts.quietEnd = a.integer(5, kMin, kMax);
  p.alerts.snoozeUntil = a.number(6);
  p.kept = textMapFrom(f.at(6), "kept preferences");
  return p;
}

DeviceProfile profileFrom(dom::element e) {
  const Fields f(e, 5, "profile");
  return DeviceProfile{f.text(0), f.text(1), f.text(2), f.text(3),
                       textMapFrom(f.at(4), "capabilities")};
}

DefaultValue valueFrom(dom::element e) {
  const Fields f(e, 2, "default value");
  DefaultValue v;
  v.type = f.word(0, DefaultType::date);
  switch (v.type) {
    case DefaultType::bytes:
    case DefaultType::string: v.text = f.text(1); break;
    case DefaultType::boolean: v.flag = f.boolean(1); break;
    case DefaultType::date: v.date = f.number(1); break;
  }
  return v;
}

template <class T>
Expected<T> decodeDocument(std::string_view text, const char* what, T (*from)(dom::element)) {
  // A parser keeps its buffers, several times the size of the largest document it read, until
  // it goes. The one kept per thread serves the small documents; a large one (a history) gets a
  // parser of its own, so its memory goes back when the call returns.
  constexpr std::size_t kKeptParserLimit = 64 * 1024;
  thread_local dom::parser kept;
  std::optional<dom::parser> own;
  dom::parser& parser = text.size() <= kKeptParserLimit ? kept : own.emplace();
  dom::element root;
  // parse() copies the text into the parser's own padded buffer.
  const auto error = parser.parse(text.empty() ? "" : text.data(), text.size()).get(root);
  if (error != simdjson::SUCCESS) {
    return Error{std::string(what) + ": not valid JSON (" + simdjson::error_message(error) + ")"};
  }
  try {
    return from(root);
  } catch (const Unreadable& u) {
    return Error{std::string(what) + ": " + u.message};
  } catch (const std::exception& e) {
    return Error{std::string(what) + ": unreadable (" + e.what() + ")"};
  }
}

LiveFacts liveFactsFrom(dom::element e) {
  const Fields f(e, 6, "");
  LiveFacts facts;
  facts.reading = optionalFrom(f, 0, readingFrom);
  facts.paused = f.boolean(1);
  facts.asleep = f.boolean(2);
  facts.problem = optionalFrom(f, 3, problemFrom);
  facts.away = optionalFrom(f, 4, awayFrom);
  facts.stateSince = f.number(5);
  return facts;
}

HistoryState historyFrom(dom::element e) {
  const Fields f(e, 5, "");
  HistoryState h;
  h.readings = listOf<Reading>(f.at(0), "readings", readingFrom);
  h.events = listOf<Event>(f.at(1), "events", eventFrom);
  h.durations = stateSecondsFrom(f.at(2));
  h.episodes = listOf<Episode>(f.at(3), "episodes", episodeFrom);
  h.problem = optionalFrom(f, 4, problemFrom);
  return h;
}

SetupState setupFrom(dom::element e) {
  const Fields f(e, 7, "");
  SetupState s;
  s.preferences = preferencesFrom(f.at(0));
  s.permission = f.word(1, AuthorizationStatus::provisional);
  s.loginStatus = f.word(2, LoginItemStatus::notFound);
  if (!f.isNull(3)) s.metricsFolder = std::filesystem::path(f.text(3));
  s.metricsProblem = optionalFrom(f, 4, problemFrom);
  s.profile = profileFrom(f.at(5));
  s.demo = f.boolean(6);
  return s;
}

DefaultsCopy defaultsFrom(dom::element e) {
  const Fields f(e, 2, "");
  DefaultsCopy copy;
  for (const dom::element item : listAt(f.at(0), "defaults")) {
    const Fields entry(item, 2, "default");
    copy.values.insert_or_assign(entry.text(0), valueFrom(entry.at(1)));
  }
  copy.problem = optionalFrom(f, 1, problemFrom);
  return copy;
}

DefaultWrite writeFrom(dom::element e) {
  const Fields f(e, 2, "");
  return DefaultWrite{f.text(0), optionalFrom(f, 1, valueFrom)};
}

}  // namespace

std::string encodeLiveFacts(const LiveFacts& facts) {
  Out o;
  o.open();
  optional(o, facts.reading, writeReading);
  o.boolean(facts.paused);
  o.boolean(facts.asleep);
  optional(o, facts.problem, writeProblem);
  optional(o, facts.away, writeAway);
  o.number(facts.stateSince);
  o.close();
  return o.take();
}

Expected<LiveFacts> decodeLiveFacts(std::string_view text) {
  return decodeDocument(text, "live facts", liveFactsFrom);
}

std::string encodeHistoryState(const HistoryState& history) {
  // Room for as many readings as long as the newest, so the text grows without copies.
  std::size_t perReading = 0;
  if (!history.readings.empty()) {
    Out first;
    writeReading(first, history.readings.back());
    perReading = first.take().size() + 64;
  }
  Out o(4096 + history.readings.size() * perReading);
  o.open();
  o.open();
  for (const Reading& r : history.readings) writeReading(o, r);
  o.close();
  o.open();
  for (const Event& e : history.events) writeEvent(o, e);
  o.close();
  writeStateSeconds(o, history.durations);
  o.open();
  for (const Episode& e : history.episodes) writeEpisode(o, e);
  o.close();
  optional(o, history.problem, writeProblem);
  o.close();
  return o.take();
}

Expected<HistoryState> decodeHistoryState(std::string_view text) {
  return decodeDocument(text, "history", historyFrom);
}

std::string encodeSetupState(const SetupState& setup) {
  Out o;
  o.open();
  writePreferences(o, setup.preferences);
  o.word(setup.permission);
  o.word(setup.loginStatus);
  if (setup.metricsFolder) {
    o.text(setup.metricsFolder->native());
  } else {
    o.null();
  }
  optional(o, setup.metricsProblem, writeProblem);
  writeProfile(o, setup.profile);
  o.boolean(setup.demo);
  o.close();
  return o.take();
}

Expected<SetupState> decodeSetupState(std::string_view text) {
  return decodeDocument(text, "setup", setupFrom);
}

std::string encodeDefaults(const DefaultsCopy& copy) {
  Out o;
  o.open();
  o.open();
  for (const auto& [key, value] : copy.values) {
    o.open();
    o.text(key);
    writeValue(o, value);
    o.close();
  }
  o.close();
  optional(o, copy.problem, writeProblem);
  o.close();
  return o.take();
}

Expected<DefaultsCopy> decodeDefaults(std::string_view text) {
  return decodeDocument(text, "defaults", defaultsFrom);
}

std::string encodeDefaultWrite(const DefaultWrite& write) {
  Out o;
  o.open();
  o.text(write.key);
  optional(o, write.value, writeValue);
  o.close();
  return o.take();
}

Expected<DefaultWrite> decodeDefaultWrite(std::string_view text) {
  return decodeDocument(text, "default write", writeFrom);
}

}  // namespace tempyra
