#include "providers/live_provider.h"

#include <gtest/gtest.h>

#include "core/model_json.h"
#include "linux/temp_tree.h"

namespace tempyra {
namespace {

const std::string kFixtures = TEMPYRA_FIXTURES;

std::string shown(const Metric& m) {
  return (m.value ? std::to_string(*m.value).substr(0, std::to_string(*m.value).find('.') + 3) : "-") + " · " + m.source;
}

const char* const kNoGpu = "- · no readable GPU sensor among the known drivers";
const char* const kNoBattery = "- · no readable battery sensor among the known drivers";

// What each captured machine shape reads as, through the whole live provider: the thermal
// level and what decided it, the CPU, GPU and battery groups, the fans, the model and the speed
// limit.
TEST(LiveProvider, EachMachineShape) {
  struct Case {
    const char* tree;
    ThermalState state;
    std::string thermal, model, cpu, gpu, battery;
    std::vector<std::string> fans;  // names of the RPM metrics
    std::string speed;
  } cases[] = {
      {"thinkpad_t60p", ThermalState::nominal, "Available · kernel thermal zones · decided by thermal_zone1 (acpitz) · passive trip 96 °C",
       "LENOVO ThinkPad T60p", "- · no readable CPU sensor among the known drivers", kNoGpu, kNoBattery, {"Fan 1"}, "42.86"},
      {"toshiba_eight_trips", ThermalState::nominal, "Available · kernel thermal zones · decided by thermal_zone0 (acpitz) · active trip 72 °C",
       "TOSHIBA Satellite Pro A50-C", "- · no readable CPU sensor among the known drivers", kNoGpu, kNoBattery, {"Fan speed"}, "100.00"},
      {"panasonic_held_min", ThermalState::nominal, "Available · kernel thermal zones · decided by thermal_zone2 (pch_cannonlake) · critical trip 115 °C",
       "Panasonic Corporation CF-SV8RDAVS", "41.00 · hwmon · coretemp Package id 0", kNoGpu, kNoBattery, {"Fan speed"}, "100.00"},
      {"amd_desktop_k10temp", ThermalState::unknown, "Not available · no thermal zone has a valid trip point",
       "Micro-Star International Co., Ltd. MS-7C37", "61.25 · hwmon · k10temp Tdie", "48.00 · hwmon · amdgpu edge", kNoBattery,
       {"Fan 1"}, "100.00"},
      {"amd_desktop_superio", ThermalState::unknown, "Not available · the kernel lists no thermal zone",
       "ASUSTeK COMPUTER INC. TUF GAMING B550-PLUS", "105.12 · hwmon · nct6798 TSI0_TEMP", kNoGpu, kNoBattery,
       {"Fan 1", "Fan 2"}, "100.00"},
      {"macbook", ThermalState::unknown, "Not available · no thermal zone has a valid trip point", "Apple Inc. MacBookPro14,3",
       "74.00 · hwmon · coretemp Package id 0", "70.00 · hwmon · applesmc TCGC · controller keys; mapping undocumented",
       "33.00 · hwmon · mean of applesmc TB0T, applesmc TB1T, applesmc TB2T · controller keys; mapping undocumented",
       {"Left side fan", "Right side fan"}, "100.00"},
      {"raspberry_pi5", ThermalState::fair, "Available · kernel thermal zones · decided by thermal_zone0 (cpu-thermal) · active trip 75 °C",
       "Raspberry Pi 5 Model B Rev 1.0", "77.30 · thermal zone · thermal_zone0 (cpu-thermal)", kNoGpu, kNoBattery, {"Fan 1"}, "100.00"},
      {"zones_unreadable", ThermalState::unknown, "Not available · no thermal zone temperature is readable", "Dell Inc. Latitude 7490",
       "58.00 · hwmon · coretemp Package id 0", kNoGpu, kNoBattery, {"Processor Fan"}, "100.00"},
      {"hybrid_gpu_asleep", ThermalState::nominal, "Available · kernel thermal zones · decided by thermal_zone1 (acpitz) · critical trip 107 °C",
       "Dell Inc. XPS 15 9575", "52.00 · hwmon · coretemp Package id 0", "- · GPU asleep · amdgpu not woken to read it", kNoBattery,
       {"Fan 1"}, "100.00"},
      {"nvidia_laptop_asleep", ThermalState::unknown, "Not available · the kernel lists no thermal zone", "Dell Inc. XPS 15 9510",
       "57.00 · hwmon · coretemp Package id 0", "- · GPU asleep · nvidia 0000:01:00.0 not woken to read it", kNoBattery,
       {"Fan speed"}, "none"},
      {"laptop", ThermalState::nominal, "Available · kernel thermal zones · decided by thermal_zone1 (acpitz) · passive trip 95 °C",
       "LENOVO 20XW0055GE", "55.00 · hwmon · coretemp Package id 0", kNoGpu, "31.50 · hwmon · BAT0 temp1",
       {"Fan 1", "Fan 2", "Fan 3"}, "75.00"},
      {"sensorless_arm", ThermalState::unknown, "Not available · the kernel exposes no /sys/class/thermal",
       "Raspberry Pi 4 Model B Rev 1.4", "- · No hwmon sensors (the kernel exposes no /sys/class/hwmon)",
       "- · No hwmon sensors (the kernel exposes no /sys/class/hwmon)",
       "- · No hwmon sensors (the kernel exposes no /sys/class/hwmon)", {"Fan speed"}, "none"},
  };
  for (const auto& c : cases) {
    auto provider = makeLiveProvider(kFixtures + "/" + c.tree);
    provider->sample(1, "s", false);
    const Reading r = provider->sample(3, "s", false);
    const DeviceProfile profile = provider->profile();
    EXPECT_EQ(r.state, c.state) << c.tree;
    EXPECT_EQ(profile.capabilities.at("Thermal pressure"), c.thermal) << c.tree;
    EXPECT_EQ(profile.model, c.model) << c.tree;
    EXPECT_EQ(shown(r.sensors[2]), c.cpu) << c.tree;
    EXPECT_EQ(shown(r.sensors[1]), c.gpu) << c.tree;
    EXPECT_EQ(shown(r.sensors[0]), c.battery) << c.tree;
    std::vector<std::string> fans;
    std::string speed = "none";
    for (const auto& m : r.sensors) {
      if (m.unit == "RPM") fans.push_back(m.name);
      if (m.name == "CPU speed limit") speed = shown(m).substr(0, shown(m).find(' '));
    }
    EXPECT_EQ(fans, c.fans) << c.tree;
    EXPECT_EQ(speed, c.speed) << c.tree;
  }
}

TEST(LiveProvider, LinuxReadingsNameLinuxSources) {
  auto provider = makeLiveProvider(kFixtures + "/laptop");
  provider->sample(1, "s", true);
  const Reading r = provider->sample(3, "s", true);
  EXPECT_EQ(r.power, (PowerContext{PowerSource::ac, 75.0, true, {}}));
  EXPECT_EQ(r.cpu.source, "/proc/stat · interval average");
  const DeviceProfile profile = provider->profile();
  EXPECT_EQ(profile.capabilities.at("Battery temperature"), "hwmon · BAT0 temp1");

  const std::string texts = *encodeJson(r) + *encodeJson(profile);
  for (const char* macName : {"host_statistics", "IOPMCopyCPUPowerStatus", "IOPowerSources", "ProcessInfo",
                              "proc_pid_rusage", "AppleSMC", "needs root"})
    EXPECT_EQ(texts.find(macName), std::string::npos) << macName;
}

// Every file of a machine replaced by a FIFO, by nothing, or by a number no sensor reads: the
// sample ends, and nothing in it is a value.
TEST(LiveProvider, ADamagedTreeNeitherHangsNorInventsValues) {
  const std::function<void(const testing::TempTree&, const std::string&)> damages[] = {
      [](auto& tree, auto& file) { std::filesystem::remove(tree.root() / file), tree.fifo(file); },
      [](auto& tree, auto& file) { tree.write(file, ""); },
      [](auto& tree, auto& file) { tree.write(file, "9223372036854775807\n"); },
  };
  for (const auto& damage : damages) {
    testing::TempTree tree;
    tree.copy(kFixtures + "/laptop");
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(tree.root()))
      if (entry.is_regular_file() && !entry.is_symlink()) files.push_back(entry.path().lexically_relative(tree.root()));
    for (const auto& file : files) damage(tree, file);
    auto provider = makeLiveProvider(tree.root());
    provider->sample(1, "s", true);
    const Reading r = provider->sample(3, "s", true);
    EXPECT_EQ(r.state, ThermalState::unknown);
    EXPECT_FALSE(r.cpu.value);
    EXPECT_EQ(r.power, PowerContext{});
    for (const auto& m : r.sensors) EXPECT_FALSE(m.value) << m.name << " " << m.source;
    EXPECT_TRUE(r.activity.empty());
  }
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
