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
#include <string>
#include <string_view>

#include "core/device_profile.h"
#include "core/expected.h"
#include "core/metric.h"
#include "core/power_context.h"
#include "core/process_activity.h"
#include "core/reading.h"

namespace tempyra {

Expected<std::string> encodeJson(const Metric& m);
Expected<std::string> encodeJson(const PowerContext& p);
Expected<std::string> encodeJson(const ProcessActivity& a);
Expected<std::string> encodeJson(const DeviceProfile& d);
Expected<std::string> encodeJson(const Reading& r);

Expected<Metric> decodeMetric(std::string_view json);
Expected<PowerContext> decodePowerContext(std::string_view json);
Expected<ProcessActivity> decodeProcessActivity(std::string_view json);
Expected<DeviceProfile> decodeDeviceProfile(std::string_view json);
Expected<Reading> decodeReading(std::string_view json);

}  // namespace tempyra
