#pragma once
#include <optional>
#include <string>

namespace tempyra {

inline constexpr const char* kNotAvailable = "Not available";

// One named measurement with its provenance. Time points are seconds since 1970 UTC.
struct Metric {
  std::string name;
  std::optional<double> value;  // absent when the quantity could not be observed
  std::string unit;
  std::string source;
  double timestamp = 0;
  std::string quality;  // always "Not available" when value is absent

  Metric() : quality(kNotAvailable) {}
  // A metric without value gets the quality "Not available", whatever is passed.
  Metric(std::string name, std::optional<double> value, std::string unit, std::string source,
         double at, std::string quality);

  // True when the value is present and finite and 0 <= at - timestamp <= timeout.
  bool valid(double at, double timeout) const;

  // Memberwise; a NaN equals nothing, not even itself.
  friend bool operator==(const Metric&, const Metric&) = default;
};

}  // namespace tempyra
