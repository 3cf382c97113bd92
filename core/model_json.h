#pragma once
// The JSON form of the observation model: the stored format of the history database and of
// the export, so every document an earlier writer produced must stay readable.
//
// Writing: compact UTF-8, keys in field order, absent optionals left out (never null), numbers
// as the shortest decimal that reads back to the same double, "/" written as "\/", non-ASCII
// written as is. A record holding a non-finite number cannot be written: the result is an
// error and no text.
//
// Reading: every required key must be present with the right JSON type; a missing or null
// optional is absent; "state" is an integer 0 to 4; "id" fits 32 bits; unknown keys are
// ignored; any JSON number form is accepted. An unreadable record is an error value.
//
// The vocabularies (event kinds, power sources, metric kinds) are types everywhere else; their
// stored words live here, and the history store uses these to write and read its columns. A word
// this program does not know reads as `other` and keeps its text, so it is written back as found.
#include <string>
#include <string_view>

#include "core/device_profile.h"
#include "core/episode.h"
#include "core/event.h"
#include "core/expected.h"
#include "core/metric.h"
#include "core/power_context.h"
#include "core/process_activity.h"
#include "core/reading.h"

namespace tempyra {

// "Thermal", "Thermal state", "Power", "Monitoring", "Alert"; empty for other.
std::string_view storedWord(EventKind kind);
EventKind eventKindFromWord(std::string_view word);
// The event's kind as stored and shown: its word, or the stored text of an other kind.
std::string kindWords(const Event& e);

// "AC power", "Battery", "Not available"; empty for other.
std::string_view storedWord(PowerSource source);
PowerSource powerSourceFromWord(std::string_view word);
// The context's source as stored and shown: its word, or the other source's own text.
std::string sourceWords(const PowerContext& p);
// A context whose source is given by its stored words.
void setSourceWords(PowerContext& p, std::string_view words);

// The kind of a stored metric, told from its name (the group means and limits, "Sensor ..." and
// "Zone ..." texts) and else its unit ("RPM" is a fan).
MetricKind metricKindFromStored(std::string_view name, std::string_view unit);

Expected<std::string> encodeJson(const Metric& m);
Expected<std::string> encodeJson(const PowerContext& p);
Expected<std::string> encodeJson(const ProcessActivity& a);
Expected<std::string> encodeJson(const DeviceProfile& d);
Expected<std::string> encodeJson(const Reading& r);
// One heat episode, keys in this order: "start", "end", "duration", "highest" (the state's
// title), "brief", "seconds" (state title to seconds), "cpuTemperature" and "gpuTemperature"
// ({"value" in °C, "at"} or null), "meanCpuLoad" (percent or null), "powerSources",
// "processes" ([{"name", "cpuSeconds", "share"}], share in percent of one core). Not stored:
// the diagnostic command prints it.
Expected<std::string> encodeJson(const Episode& e);

Expected<Metric> decodeMetric(std::string_view json);
Expected<PowerContext> decodePowerContext(std::string_view json);
Expected<ProcessActivity> decodeProcessActivity(std::string_view json);
Expected<DeviceProfile> decodeDeviceProfile(std::string_view json);
Expected<Reading> decodeReading(std::string_view json);

}  // namespace tempyra
