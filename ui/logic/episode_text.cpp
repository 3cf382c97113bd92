#include "ui/logic/episode_text.h"

#include <cmath>
#include <ctime>

#include "ui/logic/text_format.h"

namespace tempyra {

namespace {

std::optional<std::tm> localDay(double secondsSince1970) {
  if (!std::isfinite(secondsSince1970)) return std::nullopt;
  const std::time_t t = static_cast<std::time_t>(std::floor(secondsSince1970));
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return std::nullopt;
  return tm;
}

bool sameDay(double a, double b) {
  const auto x = localDay(a), y = localDay(b);
  return x && y && x->tm_year == y->tm_year && x->tm_yday == y->tm_yday;
}

std::string dayAndTime(double s) {
  const auto tm = localDay(s);
  if (!tm) return "—";
  char buffer[64];
  const std::size_t n = std::strftime(buffer, sizeof buffer, "%-d %b ", &*tm);
  return std::string(buffer, n) + shortTimeOfDay(s);
}

std::string temperature(double celsius, TemperatureUnit unit) {
  if (unit == TemperatureUnit::fahrenheit) return fixed(celsius * 9 / 5 + 32, 0) + " \u00B0F";
  return fixed(celsius, 0) + " \u00B0C";
}

}  // namespace

std::string episodeSpan(double start, double end, double now) {
  if (!sameDay(start, end)) return dayAndTime(start) + "\u2013" + dayAndTime(end);
  const std::string times = shortTimeOfDay(start) + "\u2013" + shortTimeOfDay(end);
  if (sameDay(start, now)) return times;
  const auto tm = localDay(start);
  char buffer[64];
  const std::size_t n = tm ? std::strftime(buffer, sizeof buffer, "%-d %b ", &*tm) : 0;
  return std::string(buffer, n) + times;
}

std::string episodeLength(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
  if (seconds < 60) return fixed(std::floor(seconds), 0) + " s";
  const double minutes = std::round(seconds / 60);
  if (minutes < 60) return fixed(minutes, 0) + " min";
  return fixed(std::floor(minutes / 60), 0) + " h " + fixed(std::fmod(minutes, 60), 0) + " min";
}

std::string elided(std::string_view name, std::size_t limit) {
  std::size_t characters = 0, cut = name.size();
  for (std::size_t i = 0; i < name.size(); ++i) {
    if ((static_cast<unsigned char>(name[i]) & 0xC0) == 0x80) continue;  // continuation byte
    if (characters == limit - 1) cut = i;
    if (++characters > limit) return std::string(name.substr(0, cut)) + "\u2026";
  }
  return std::string(name);
}

std::string episodeText(const Episode& e, TemperatureUnit unit, double now) {
  std::string text = title(e.highest);
  if (e.brief) text += " (brief)";
  text += " \u00B7 " + episodeSpan(e.start, e.end, now) + " \u00B7 " + episodeLength(e.duration());
  if (e.cpuTemperature) text += " \u00B7 CPU " + temperature(e.cpuTemperature->value, unit);
  if (e.gpuTemperature) text += " \u00B7 GPU " + temperature(e.gpuTemperature->value, unit);
  std::string processes;
  for (const Episode::Process& p : e.processes) {
    if (std::round(p.share) < 1) continue;
    if (!processes.empty()) processes += ", ";
    processes += elided(p.name) + " " + fixed(p.share, 0) + " %";
  }
  if (!processes.empty()) text += " \u00B7 " + processes;
  return text;
}

std::string awayText(const AwaySummary& away) {
  std::string text = "While you were away: " + std::to_string(away.episodes) +
                     (away.episodes == 1 ? " episode, " : " episodes, ") +
                     episodeLength(away.seconds) + " in total, highest " + title(away.highest);
  if (!away.busiest.empty()) text += " \u2014 busiest: " + elided(away.busiest);
  return text;
}

}  // namespace tempyra
