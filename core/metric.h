#pragma once
#include <optional>
#include <string>

namespace tempyra {

inline constexpr const char* kNotAvailable = "Not available";

// Which quantity a metric is: one of the named group means and limits, one sensor of a kind, or
// something else. The program finds a metric by this, never by its display name; the stored
// JSON holds only the name, from which the JSON layer tells the kind again.
enum class MetricKind {
  other,
  cpuLoad,
  cpuTemperature,      // the CPU sensor group's mean
  gpuTemperature,      // the GPU sensor group's mean
  batteryTemperature,  // the battery sensor group's mean
  cpuSpeedLimit,       // the operating system's CPU speed limit, percent
  cpuSchedulerLimit,   // the operating system's CPU scheduler limit, percent
  sensor,              // one individual hardware sensor ("Sensor <chip or key> ...")
  zone,                // one thermal zone's temperature ("Zone <type>")
  fan,                 // one fan, or the fan line that says why there is none
};

// One named measurement with its provenance. Time points are seconds since 1970 UTC.
struct Metric {
  MetricKind kind = MetricKind::other;
  std::string name;
  std::optional<double> value;  // absent when the quantity could not be observed
  std::string unit;
  std::string source;
  double timestamp = 0;
  std::string quality;  // always "Not available" when value is absent

  Metric() : quality(kNotAvailable) {}
  // A metric without value gets the quality "Not available", whatever is passed.
  Metric(MetricKind kind, std::string name, std::optional<double> value, std::string unit,
         std::string source, double at, std::string quality);

  // True when the value is present and finite and 0 <= at - timestamp <= timeout.
  bool valid(double at, double timeout) const;

  // Memberwise; a NaN equals nothing, not even itself.
  friend bool operator==(const Metric&, const Metric&) = default;
};

}  // namespace tempyra
