#pragma once
#include <optional>
#include <string>

namespace tempyra {

// The power situation at the time of a reading.
struct PowerContext {
  std::string source;              // "AC power", "Battery", ...
  std::optional<double> battery;   // charge in percent, 0 to 100
  std::optional<bool> charging;    // absent when unknown

  // Memberwise. The history store writes a "Power" event whenever two consecutive readings'
  // contexts are unequal, so a NaN battery (unequal to itself) always counts as a change.
  friend bool operator==(const PowerContext&, const PowerContext&) = default;
};

}  // namespace tempyra
