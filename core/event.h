#pragma once
// One entry of the history's event log: a state change, a power change, a monitoring segment's
// start, an alert.
#include <cstdint>
#include <string>

namespace tempyra {

struct Event {
  std::int64_t id = 0;  // the history's own number for it, larger for later entries
  double time = 0;      // seconds since 1970 UTC
  std::string kind;     // a short category: "Thermal", "Power", "Monitoring", "Alert", …
  std::string detail;   // one line for the user

  friend bool operator==(const Event&, const Event&) = default;
};

}  // namespace tempyra
