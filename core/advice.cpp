#include "core/advice.h"

#include <langinfo.h>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <ctime>

#include <nlohmann/json.hpp>

#include "core/json_writer.h"
#include "core/model_json.h"
#include "core/platform_words.h"
#include "core/thermal_state.h"

namespace tempyra {

namespace {

const char* const kStaleHeadline = "Waiting for a fresh reading";

std::string_view detailFor(ThermalState s) {
  switch (s) {
    case ThermalState::nominal: return platformWord(PlatformWord::nominalDetail);
    case ThermalState::fair:
      return "If performance feels slower, check active work and keep vents unobstructed. CPU "
             "activity is context, not proof of the cause.";
    case ThermalState::serious:
    case ThermalState::critical: return platformWord(PlatformWord::hotDetail);
    case ThermalState::unknown: break;
  }
  return platformWord(PlatformWord::unknownDetail);
}

// Whole seconds: negative and NaN count as 0, fractions are cut off, and values beyond the
// 64-bit range (which callers never pass) are held at its end instead of overflowing.
std::int64_t wholeSeconds(double duration) {
  if (!(duration > 0)) return 0;
  if (duration >= 9223372036854775808.0) return INT64_MAX;
  return static_cast<std::int64_t>(duration);
}

// One digit after a point whatever the locale (printf would follow LC_NUMERIC).
std::string oneDecimal(double value) {
  char buf[512];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 1);
  return std::string(buf, res.ptr);
}

}  // namespace

// The locale's time format without its seconds. %r and %T are expanded first so the seconds
// field is visible; the separator before it (":" in "%H:%M:%S") goes with it, or, where the
// locale writes a unit after the seconds instead (as some East Asian formats do), that unit.
std::string timeFormatWithoutSeconds(std::string_view timeFormat, std::string_view ampmFormat) {
  std::string ampm(ampmFormat);
  if (ampm.empty() || ampm.find("%r") != std::string::npos) ampm = "%I:%M:%S %p";
  std::string fmt(timeFormat);
  for (std::size_t p; (p = fmt.find("%r")) != std::string::npos;) fmt.replace(p, 2, ampm);
  for (std::size_t p; (p = fmt.find("%T")) != std::string::npos;) fmt.replace(p, 2, "%H:%M:%S");
  if (fmt.empty()) fmt = "%H:%M:%S";
  for (std::size_t i = 0; i + 1 < fmt.size();) {
    if (fmt[i] != '%') {
      ++i;
      continue;
    }
    std::size_t conv = i + 1;
    if (fmt[conv] == 'E' || fmt[conv] == 'O') ++conv;
    if (conv >= fmt.size() || fmt[conv] != 'S') {
      i = conv + 1;
      continue;
    }
    std::size_t from = i;  // the seconds field spans [from, to)
    std::size_t to = conv + 1;
    std::size_t before = i;
    while (before > 0 && fmt[before - 1] != '%' && fmt[before - 1] != ' ' &&
           static_cast<unsigned char>(fmt[before - 1]) < 0x80 &&
           !std::isalnum(static_cast<unsigned char>(fmt[before - 1]))) {
      --before;
    }
    if (before < i && !(before > 0 && fmt[before - 1] == '%')) {
      from = before;
    } else {
      while (to < fmt.size() && fmt[to] != '%' && fmt[to] != ' ') ++to;
    }
    fmt.erase(from, to - from);
    i = from;
  }
  return fmt;
}

std::string formatShortDateTime(double secondsSince1970) {
  if (!std::isfinite(secondsSince1970) || std::fabs(secondsSince1970) > 3e16) return "—";
  const auto t = static_cast<std::time_t>(std::floor(secondsSince1970));
  std::tm local{};
  if (localtime_r(&t, &local) == nullptr) return "—";
  std::string fmt = nl_langinfo(D_FMT);
  if (fmt.empty()) fmt = "%m/%d/%y";
  fmt += ' ';
  fmt += timeFormatWithoutSeconds(nl_langinfo(T_FMT), nl_langinfo(T_FMT_AMPM));
  char buf[256];
  const std::size_t n = std::strftime(buf, sizeof buf, fmt.c_str(), &local);
  return std::string(buf, n);
}

namespace Rules {

Advice evaluate(const Reading& reading, double duration, double now, double freshness) {
  Advice advice;
  advice.version = 1;
  const double age = now - reading.timestamp;
  // Equal to the limit is still fresh; a NaN age is not.
  if (!(age <= freshness) || now < reading.timestamp) {
    advice.headline = kStaleHeadline;
    advice.detail = platformWord(PlatformWord::staleDetail);
    advice.evidence = {"Last sample: " + formatShortDateTime(reading.timestamp)};
    return advice;
  }
  advice.headline = explanation(reading.state);
  advice.detail = detailFor(reading.state);
  advice.evidence.push_back(std::string(platformWord(PlatformWord::pressureEvidence)) +
                            title(reading.state));
  advice.evidence.push_back("Observed in this state for " +
                            std::to_string(wholeSeconds(duration)) + " seconds");
  advice.evidence.push_back("Power source: " + sourceWords(reading.power));
  if (reading.cpu.value) {
    advice.evidence.push_back("System CPU load: " + oneDecimal(*reading.cpu.value) + "%");
  }
  return advice;
}

}  // namespace Rules

Expected<std::string> encodeJson(const Advice& a) {
  JsonWriter w;
  w.beginObject();
  w.key("version");
  w.integer(a.version);
  w.key("headline");
  w.string(a.headline);
  w.key("detail");
  w.string(a.detail);
  w.key("evidence");
  w.beginArray();
  for (const auto& line : a.evidence) w.string(line);
  w.endArray();
  w.endObject();
  return w.finish();
}

Expected<Advice> decodeAdvice(std::string_view text) {
  using nlohmann::json;
  try {
    const json j = json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
    if (j.is_discarded()) return Error{"advice: not valid JSON"};
    if (!j.is_object()) return Error{"advice: expected a JSON object"};
    Advice a;
    const auto version = j.find("version");
    if (version == j.end()) return Error{"advice: missing key \"version\""};
    const double v = version->is_number() ? version->get<double>() : NAN;
    if (!(v >= INT32_MIN && v <= INT32_MAX) || std::trunc(v) != v) {
      return Error{"advice: \"version\" must be an integer"};
    }
    a.version = static_cast<int>(v);
    for (auto [key, field] : {std::pair{"headline", &a.headline}, {"detail", &a.detail}}) {
      const auto it = j.find(key);
      if (it == j.end()) return Error{std::string("advice: missing key \"") + key + "\""};
      if (!it->is_string()) return Error{std::string("advice: \"") + key + "\" must be a string"};
      *field = it->get<std::string>();
    }
    const auto evidence = j.find("evidence");
    if (evidence == j.end()) return Error{"advice: missing key \"evidence\""};
    if (!evidence->is_array()) return Error{"advice: \"evidence\" must be an array of strings"};
    for (const auto& line : *evidence) {
      if (!line.is_string()) return Error{"advice: \"evidence\" must be an array of strings"};
      a.evidence.push_back(line.get<std::string>());
    }
    return a;
  } catch (const std::exception& e) {
    return Error{std::string("advice: unreadable (") + e.what() + ")"};
  }
}

}  // namespace tempyra
