#pragma once
#include <string>
#include <vector>

#include "core/device_profile.h"
#include "core/event.h"
#include "providers/sensor_provider.h"

namespace tempyra {

// A fixed, plausible reading stamped with the requested time, so the whole pipeline runs on
// any machine. Keeps no state beyond its profile.
class DemoProvider final : public SensorProvider {
 public:
  DemoProvider();
  DeviceProfile profile() const override { return profile_; }
  Reading sample(double at, const std::string& segment, bool includeProcesses) override;
  void reset() override {}

 private:
  const DeviceProfile profile_;
};

// One event of the demonstration seed, written with HistoryStore::event.
struct SeedEvent {
  double at;
  EventKind kind;
  std::string detail;
};

// The hour of example history written into an empty store in demonstration mode: 120 readings
// 30 s apart ending 30 s before `now` (oldest first), to be recorded with the demonstration
// profile, then two events in the order they are to be written.
struct DemoSeed {
  std::vector<Reading> readings;
  std::vector<SeedEvent> events;
};
DemoSeed demoHistorySeed(double now);

}  // namespace tempyra
