#include "providers/live_provider.h"

#include <gtest/gtest.h>

#include "core/model_json.h"

namespace tempyra {
namespace {

const std::string kFixtures = TEMPYRA_FIXTURES;

TEST(LiveProvider, AppleControllerThroughTheDriverExportedKeys) {
  auto provider = makeLiveProvider(kFixtures + "/macbook");
  const Reading r = provider->sample(100, "s", false);
  const std::string status =
      "applesmc · read-only · driver-exported keys only (the full key list needs root) · undocumented sensor mapping";
  // Th1H is not a recognised key; Tp0P reads 150 °C, which sp78 cannot hold.
  std::vector<std::pair<std::string, double>> got;
  for (const auto& m : r.sensors) got.emplace_back(m.name, m.value.value_or(-1));
  EXPECT_EQ(got, (std::vector<std::pair<std::string, double>>{
                     {"Battery temperature", 30}, {"GPU temperature", 40}, {"CPU temperature", 46},
                     {"Sensor TB0T", 30}, {"Sensor TC0D", 47}, {"Sensor TC0P", 45}, {"Sensor TG0P", 40},
                     {"Fan 1", 2000}, {"Fan 2", 1800}}));
  EXPECT_EQ(r.sensors[0].source, status + " · mean of recognised TB keys");
  EXPECT_EQ(r.sensors[8].source, "applesmc / F1Ac · actual speed");
  EXPECT_EQ(provider->profile().capabilities.at("CPU/GPU temperature"), status);
  EXPECT_EQ(provider->profile().model, "Apple Inc. MacBookPro14,3");
}

TEST(LiveProvider, LinuxReadingsNameLinuxSources) {
  auto provider = makeLiveProvider(kFixtures + "/laptop");
  provider->sample(1, "s", true);
  const Reading r = provider->sample(3, "s", true);
  EXPECT_EQ(r.state, ThermalState::nominal);
  EXPECT_EQ(r.power, (PowerContext{"AC power", 75.0, true}));
  EXPECT_EQ(r.cpu.source, "/proc/stat · interval average");
  ASSERT_EQ(r.sensors.size(), 14u);
  EXPECT_EQ(r.sensors[12].value, 75.0);
  EXPECT_EQ(r.sensors[12].source, "cpufreq policy · OS limit, not measured throttling");
  EXPECT_EQ(provider->profile().fans, "2 controller-reported fan(s)");

  const std::string texts = *encodeJson(r) + *encodeJson(provider->profile());
  for (const char* macName : {"host_statistics", "IOPMCopyCPUPowerStatus", "IOPowerSources", "ProcessInfo",
                              "proc_pid_rusage", "AppleSMC"})
    EXPECT_EQ(texts.find(macName), std::string::npos) << macName;
}

TEST(LiveProvider, ThisMachineSamplesWithoutFailing) {
  auto provider = makeLiveProvider();
  provider->sample(1000, "s", true);
  EXPECT_GE(provider->sample(1002, "s", true).sensors.size(), 4u);
  const int level = liveThermalLevel();
  EXPECT_TRUE(level >= -1 && level <= 3);
}

}  // namespace
}  // namespace tempyra
