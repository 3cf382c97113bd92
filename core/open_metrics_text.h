#pragma once
// One reading in the Prometheus text exposition format (version 0.0.4, which node_exporter's
// textfile collector reads), ending with the "# EOF" line that also makes it OpenMetrics text.
//
// Every family is a gauge with its `# HELP` and `# TYPE` lines, in base units: temperatures in
// degrees Celsius, shares as ratios from 0 to 1, fan speeds in revolutions per minute (which
// have no base unit of their own). Thermal pressure and the power source are state sets written
// as gauges with a `state` / `source` label: every state is present and exactly one is 1.
// A value the reading does not have is an absent series, never a zero; a family without any
// series is left out whole.
//
// The reading's own time stamp is a series (`tempyra_reading_timestamp_seconds`) instead of an
// age: an age computed when the text is written is always about zero, while `time() - …` in a
// query keeps growing once the writer stops. Samples carry no explicit time stamps (the textfile
// collector refuses files that have them).
//
// Label values are sensor and fan names: valid UTF-8, at most kMaxLabelBytes bytes (longer ones
// are cut at a character and end in "…"), with backslash, double quote and line feed escaped.
// Two sensors whose label values would be equal get " (2)", " (3)" … appended in reading order,
// so no series is written twice.
#include <cstddef>
#include <string>

#include "core/reading.h"

namespace tempyra {

inline constexpr std::size_t kMaxLabelBytes = 96;

std::string openMetricsText(const Reading& reading);

}  // namespace tempyra
