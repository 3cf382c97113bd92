#pragma once
// How heat episodes read: the History page's rows and the Overview's "while you were away"
// line. Times of day are local, in the user's locale style; temperatures in the chosen unit.
#include <string>
#include <string_view>

#include "app/away_summary.h"
#include "app/preferences.h"
#include "core/episode.h"

namespace tempyra {

// "14:05–14:23"; with the date when the episode does not lie within today, on both ends when
// it crosses midnight ("6 Dec 23:50–7 Dec 00:20").
std::string episodeSpan(double start, double end, double now);
// "40 s" under a minute, "18 min" (to the nearest minute) under an hour, else "1 h 5 min".
std::string episodeLength(double seconds);
// `name` cut to `limit` characters, the last of them "…"; counts UTF-8 characters.
std::string elided(std::string_view name, std::size_t limit = 24);
// "Serious · 14:05–14:23 · 18 min · CPU 96 °C · ffmpeg 71 %, chrome 12 %": the highest state
// (marked "(brief)" when under a minute at it), the span, the length, the highest CPU and GPU
// temperatures where known and the busiest processes with their share of one core.
std::string episodeText(const Episode& episode, TemperatureUnit unit, double now);
// "While you were away: 2 episodes, 26 min in total, highest Serious — busiest: ffmpeg".
std::string awayText(const AwaySummary& away);

}  // namespace tempyra
