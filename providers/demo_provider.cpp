#include "providers/demo_provider.h"

#include "core/platform_words.h"

namespace tempyra {

namespace {

DeviceProfile demoProfile() {
  return DeviceProfile{std::string(platformWord(PlatformWord::demoModel)),
                       std::string(platformWord(PlatformWord::demoArchitecture)),
                       std::string(platformWord(PlatformWord::demoOs)),
                       "1 example fan",
                       {{"Thermal pressure", "Demo observation"},
                        {"CPU load", "Demo interval average"},
                        {"CPU/GPU temperature", "Generated example; hardware support varies"},
                        {"Fan RPM", "Generated example"}}};
}

std::vector<Metric> demoSensors(double at) {
  return {Metric(MetricKind::cpuTemperature, "CPU temperature", 43.2, "°C",
                 "Demo · hardware support varies", at, "Example"),
          Metric(MetricKind::gpuTemperature, "GPU temperature", 39.8, "°C",
                 "Demo · hardware support varies", at, "Example"),
          Metric(MetricKind::fan, "Fan 1", 1200.0, "RPM", "Demo example", at, "Example")};
}

std::vector<ProcessActivity> demoActivity() {
  return {ProcessActivity{101, "Example Photo Editor", 12.5},
          ProcessActivity{102, "Example Browser", 5.2}};
}

}  // namespace

DemoProvider::DemoProvider() : profile_(demoProfile()) {}

Reading DemoProvider::sample(double at, const std::string& segment, bool includeProcesses) {
  Reading r;
  r.timestamp = at;
  r.state = ThermalState::nominal;
  r.cpu =
      Metric(MetricKind::cpuLoad, "CPU load", 18.4, "%", "Demo interval average", at, "Measured");
  r.sensors = demoSensors(at);
  r.power = PowerContext{PowerSource::ac, 84.0, true, {}};
  if (includeProcesses) r.activity = demoActivity();
  r.segment = segment;
  return r;
}

DemoSeed demoHistorySeed(double now) {
  DemoSeed seed;
  seed.readings.reserve(120);
  for (int k = 0; k < 120; ++k) {
    const int i = k - 120;
    const double at = now + 30.0 * i;
    Reading r;
    r.timestamp = at;
    // The elevated stretch runs from i = -75 to -53 (now - 2250 s to now - 1590 s).
    r.state = (i + 75 >= 0 && i + 75 < 23) ? ThermalState::fair : ThermalState::nominal;
    r.cpu = Metric(MetricKind::cpuLoad, "CPU load", 12.0 + (7 * k) % 45, "%",
                   "Demo interval average", at, "Measured");
    r.sensors = demoSensors(at);
    const bool onAC = k >= 70;
    r.power = PowerContext{onAC ? PowerSource::ac : PowerSource::battery, 70.0 + k / 8, onAC, {}};
    r.activity = demoActivity();
    r.segment = "generated-demo";
    seed.readings.push_back(std::move(r));
  }
  seed.events.push_back(
      {now - 1500, EventKind::power, std::string(platformWord(PlatformWord::demoPowerEvent))});
  seed.events.push_back(
      {now - 2100, EventKind::thermalState, "Example elevated pressure during an export"});
  return seed;
}

}  // namespace tempyra
