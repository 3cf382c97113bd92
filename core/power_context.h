#pragma once
#include <optional>
#include <string>

namespace tempyra {

// Where the machine draws its power from. `unknown` when it could not be observed; `other` for
// a source this program has no name for (its words travel in PowerContext::otherSource).
enum class PowerSource { ac, battery, unknown, other };

// The power situation at the time of a reading.
struct PowerContext {
  PowerSource source = PowerSource::unknown;
  std::optional<double> battery;   // charge in percent, 0 to 100
  std::optional<bool> charging;    // absent when unknown
  std::string otherSource;         // the source's own words when source is other; else empty

  // Memberwise. The history store writes a "Power" event whenever two consecutive readings'
  // contexts are unequal, so a NaN battery (unequal to itself) always counts as a change.
  friend bool operator==(const PowerContext&, const PowerContext&) = default;
};

}  // namespace tempyra
