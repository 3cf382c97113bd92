#include "providers/live_provider.h"

#include <gtest/gtest.h>

#include "core/model_json.h"
#include "providers/applesmc_exchange.h"
#include "providers/smc_sensors.h"

namespace tempyra {
namespace {

const std::string kFixtures = TEMPYRA_FIXTURES;

TEST(LiveProvider, AppleControllerThroughTheDriverExportedKeys) {
  auto provider = makeLiveProvider(kFixtures + "/macbook");
  const Reading r = provider->sample(100, "s", false);
  const std::string status =
      "applesmc · read-only · driver-exported keys only (the full key list needs root) · "
      "undocumented sensor mapping";
  const std::vector<std::pair<std::string, std::optional<double>>> expected = {
      {"Battery temperature", 30}, {"GPU temperature", 40}, {"CPU temperature", 46},
      {"Sensor TB0T", 30},         {"Sensor TC0D", 47},     {"Sensor TC0P", 45},
      {"Sensor TG0P", 40},         {"Fan 1", 2000},         {"Fan 2", 1800}};
  ASSERT_EQ(r.sensors.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(r.sensors[i].name, expected[i].first);
    EXPECT_EQ(r.sensors[i].value, expected[i].second) << expected[i].first;
  }
  EXPECT_EQ(r.sensors[0].source, status + " · mean of recognised TB keys");
  EXPECT_EQ(r.sensors[3].source, "applesmc / TB0T · controller-reported; mapping undocumented");
  EXPECT_EQ(r.sensors[8].source, "applesmc / F1Ac · actual speed");
  const DeviceProfile profile = provider->profile();
  EXPECT_EQ(profile.fans, "2 controller-reported fan(s)");
  EXPECT_EQ(profile.capabilities.at("CPU/GPU temperature"), status);
  EXPECT_EQ(profile.model, "Apple Inc. MacBookPro14,3");
}

TEST(LiveProvider, LinuxReadingsNameLinuxSources) {
  auto provider = makeLiveProvider(kFixtures + "/laptop");
  provider->sample(1, "s", true);
  const Reading r = provider->sample(3, "s", true);
  EXPECT_EQ(r.state, ThermalState::nominal);
  EXPECT_EQ(r.power, (PowerContext{"AC power", 75.0, true}));
  EXPECT_EQ(r.cpu.source, "/proc/stat · interval average");
  EXPECT_FALSE(r.cpu.value);  // a captured tree does not advance
  ASSERT_EQ(r.sensors.size(), 14u);
  EXPECT_EQ(r.sensors[12].name, "CPU speed limit");
  EXPECT_EQ(r.sensors[12].value, 75.0);
  EXPECT_EQ(r.sensors[12].source, "cpufreq policy · OS limit, not measured throttling");
  EXPECT_EQ(provider->profile().fans, "2 controller-reported fan(s)");

  const std::string texts = *encodeJson(r) + *encodeJson(provider->profile());
  for (const char* macName : {"host_statistics", "IOPMCopyCPUPowerStatus", "IOPowerSources",
                              "ProcessInfo", "proc_pid_rusage", "AppleSMC"})
    EXPECT_EQ(texts.find(macName), std::string::npos) << macName;
}

TEST(LiveProvider, ThisMachineSamplesWithoutFailing) {
  auto provider = makeLiveProvider();
  provider->sample(1000, "s", true);
  const Reading r = provider->sample(1002, "s", true);
  EXPECT_GE(r.sensors.size(), 4u);
  EXPECT_EQ(r.cpu.name, "CPU load");
  const int level = liveThermalLevel();
  EXPECT_TRUE(level >= -1 && level <= 3);
}

}  // namespace
}  // namespace tempyra
