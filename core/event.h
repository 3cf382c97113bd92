#pragma once
// One entry of the history's event log: a state change, a power change, a monitoring segment's
// start, an alert.
#include <cstdint>
#include <string>

namespace tempyra {

// The category of an event. `other` for a category this program does not write (its word
// travels in Event::otherKind).
enum class EventKind {
  thermal,       // the thermal state changed (written by the history while recording)
  thermalState,  // an example state note of the demonstration history
  power,         // the power situation changed (written by the history while recording)
  monitoring,    // a monitoring segment started: pause, resume, sleep, wake, a gap
  alert,         // a sustained-pressure notification was posted
  other,
};

struct Event {
  std::int64_t id = 0;  // the history's own number for it, larger for later entries
  double time = 0;      // seconds since 1970 UTC
  EventKind kind = EventKind::other;
  std::string detail;     // one line for the user
  std::string otherKind;  // the stored word when kind is other; else empty

  friend bool operator==(const Event&, const Event&) = default;
};

}  // namespace tempyra
