#pragma once
#include <string>
#include <vector>

#include "core/metric.h"
#include "core/power_context.h"
#include "core/process_activity.h"
#include "core/thermal_state.h"

namespace tempyra {

// One complete observation. Identified by its time stamp: two readings with the same
// timestamp have the same id.
struct Reading {
  double timestamp = 0;  // seconds since 1970 UTC
  ThermalState state = ThermalState::unknown;
  Metric cpu;
  std::vector<Metric> sensors;  // provider order; may be empty
  PowerContext power;
  std::vector<ProcessActivity> activity;  // busiest first; empty when collection is off
  std::string segment;                    // monitoring segment identifier

  double id() const { return timestamp; }

  // Memberwise: the same observation in every field (a NaN value equals nothing).
  friend bool operator==(const Reading&, const Reading&) = default;
};

}  // namespace tempyra
