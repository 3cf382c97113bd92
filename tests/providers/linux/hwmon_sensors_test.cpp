#include "providers/linux/hwmon_sensors.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "providers/linux/thermal_zones.h"
#include "temp_tree.h"

namespace tempyra {
namespace {

using testing::TempTree;
const std::string kFixtures = TEMPYRA_FIXTURES;

// The reader as the live provider builds it: zones evaluated before each sample.
std::vector<Metric> sampleOf(const std::filesystem::path& root) {
  auto zones = std::make_shared<ThermalZones>(root);
  zones->evaluate(0);
  return HwmonSensors(root, zones).sample(7);
}

const Metric* find(const std::vector<Metric>& metrics, const std::string& name) {
  const auto it = std::find_if(metrics.begin(), metrics.end(), [&](const Metric& m) { return m.name == name; });
  return it == metrics.end() ? nullptr : &*it;
}

// The controller's placeholders are dropped per driver below.
TEST(HwmonSensors, EveryZoneOnceAndNotItsHwmonMirror) {
  EXPECT_EQ(find(sampleOf(kFixtures + "/macbook"), "Zone x86_pkg_temp")->source, "thermal_zone0 · no valid trip point");
  const auto t60p = sampleOf(kFixtures + "/thinkpad_t60p");
  EXPECT_EQ(find(t60p, "Zone acpitz LNXTHERM:00")->value, 50.0);
  EXPECT_FALSE(find(t60p, "Sensor acpitz temp1"));  // the zones' hwmon mirror is not shown twice
}

// Values that mean "nothing connected" are a driver's own; elsewhere they are readings.
TEST(HwmonSensors, PlaceholdersAreDroppedPerDriver) {
  struct Case {
    const char* driver;
    const char* milli;
    bool shown;
  } cases[] = {
      {"nct6798", "0", false},      {"nct6798", "127000", false},  {"nct6798", "-128000", false},
      {"it8688", "-128000", false}, {"applesmc", "-127000", false}, {"applesmc", "-25000", false},
      {"applesmc", "0", true},      {"lm75", "-30000", true},       {"drivetemp", "0", true},
      {"nct6798", "26000", true},   {"thinkpad", "0", false},      {"thinkpad", "45000", true},
  };
  for (const auto& c : cases) {
    TempTree tree;
    tree.write("sys/class/hwmon/hwmon0/name", std::string(c.driver) + "\n");
    tree.write("sys/class/hwmon/hwmon0/temp1_input", std::string(c.milli) + "\n");
    const auto metrics = HwmonSensors(tree.root()).sample(1);
    EXPECT_EQ(metrics.size() == 5, c.shown) << c.driver << " " << c.milli;  // 3 groups, sensor, fan
  }
}

TEST(HwmonSensors, DamagedChannelsAreNotAvailableWithAReason) {
  struct Case {
    const char* what;
    std::function<void(const TempTree&, const std::string&)> make;
    std::string reason;
  } cases[] = {
      {"empty", [](auto& t, auto& f) { t.write(f, ""); }, "not a number"},
      {"huge", [](auto& t, auto& f) { t.write(f, "9223372036854775807\n"); }, "reads 9223372036854776 °C, out of range"},
      {"negative", [](auto& t, auto& f) { t.write(f, "-55000\n"); }, "reads −55 °C, out of range"},
      {"fifo", [](auto& t, auto& f) { t.fifo(f); }, "not a regular file"},
      {"loop", [](auto& t, auto& f) { t.link(f, "temp1_input"); }, "unreadable"},
      {"faulty", [](auto& t, auto& f) { t.write(f, "40000\n"), t.write(f.substr(0, f.size() - 6) + "_fault", "1\n"); },
       "the driver flags a fault"},
  };
  for (const auto& c : cases) {
    TempTree tree;
    tree.write("sys/class/hwmon/hwmon0/name", "k10temp\n");
    c.make(tree, "sys/class/hwmon/hwmon0/temp1_input");
    const auto metrics = HwmonSensors(tree.root()).sample(1);
    const Metric* m = find(metrics, "Sensor k10temp temp1");
    ASSERT_TRUE(m) << c.what;
    EXPECT_FALSE(m->value) << c.what;
    EXPECT_EQ(m->source, "hwmon / k10temp temp1_input · " + c.reason) << c.what;
    EXPECT_FALSE(metrics[2].value) << c.what;  // nor a CPU temperature
  }
}

// Intel's GPU drivers are read like any chip, and every PCI GPU under one runtime-PM rule:
// only an awake device (or one without runtime PM) is read.
TEST(HwmonSensors, PciGpusAreReadOnlyWhileAwake) {
  const std::string pci = "sys/devices/pci0000:00/0000:03:00.0";
  struct Case {
    const char* driver;
    const char* status;  // nullptr: no runtime PM
    std::string gpu;
  } cases[] = {
      {"xe", "active", "61.00 · hwmon · xe pkg"},
      {"i915", nullptr, "61.00 · hwmon · i915 pkg"},
      {"xe", "suspended", "- · GPU asleep · xe not woken to read it"},
      {"i915", "resuming", "- · i915 not read · runtime_status resuming"},
      {"amdgpu", "suspending", "- · GPU asleep · amdgpu not woken to read it"},
  };
  for (const auto& c : cases) {
    TempTree tree;
    tree.write(pci + "/hwmon/hwmon4/name", std::string(c.driver) + "\n");
    tree.write(pci + "/hwmon/hwmon4/temp2_label", "pkg\n");
    tree.write(pci + "/hwmon/hwmon4/temp2_input", "61000\n");
    tree.link(pci + "/hwmon/hwmon4/device", "../../../0000:03:00.0");
    if (c.status) tree.write(pci + "/power/runtime_status", std::string(c.status) + "\n");
    tree.link("sys/class/hwmon/hwmon4", "../../devices/pci0000:00/0000:03:00.0/hwmon/hwmon4");
    const auto metrics = HwmonSensors(tree.root()).sample(1);
    const std::string value = metrics[1].value ? std::to_string(*metrics[1].value).substr(0, 5) : "-";
    EXPECT_EQ(value + " · " + metrics[1].source, c.gpu) << c.driver << " " << (c.status ? c.status : "none");
  }
}

// Names are stored: they must not follow the hwmonN numbers handed out at boot.
TEST(HwmonSensors, NamesFollowDevicesNotBootOrder) {
  auto build = [](const TempTree& tree, const char* first, const char* second) {
    for (const auto& [n, pci] : {std::pair{0, first}, std::pair{1, second}}) {
      const std::string dev = std::string("sys/devices/pci0000:00/") + pci;
      const std::string hw = dev + "/nvme/nvme" + std::to_string(n) + "/hwmon" + std::to_string(n);
      tree.write(hw + "/name", "nvme\n");
      tree.write(hw + "/temp1_label", "Composite\n");
      tree.write(hw + "/temp1_input", "40000\n");
      tree.write(hw + "/temp2_label", "Sensor\n");  // a label twice on one chip
      tree.write(hw + "/temp2_input", "41000\n");
      tree.write(hw + "/temp3_label", "Sensor\n");
      tree.write(hw + "/temp3_input", "42000\n");
      tree.link(hw + "/device", "../../nvme" + std::to_string(n));
      tree.link(dev + "/nvme/nvme" + std::to_string(n) + "/device", "../../../" + std::string(pci));
      tree.link("sys/class/hwmon/hwmon" + std::to_string(n), "../../devices/pci0000:00/" + std::string(pci) +
                                                                 "/nvme/nvme" + std::to_string(n) + "/hwmon" + std::to_string(n));
    }
  };
  TempTree a, b;
  build(a, "0000:01:00.0", "0000:02:00.0");
  build(b, "0000:02:00.0", "0000:01:00.0");
  auto names = [](const std::vector<Metric>& metrics) {
    std::vector<std::string> out;
    for (const auto& m : metrics) out.push_back(m.name);
    return out;
  };
  const auto first = names(HwmonSensors(a.root()).sample(1));
  EXPECT_EQ(first, names(HwmonSensors(b.root()).sample(1)));
  EXPECT_NE(std::find(first.begin(), first.end(), "Sensor nvme 0000:02:00.0 Sensor (temp3)"), first.end());
}

TEST(HwmonSensors, TenThousandChipsGiveABoundedReading) {
  TempTree tree;
  tree.write("sys/devices/bogus/name", "bogus\n");  // every entry but the last links to one chip
  tree.write("sys/devices/bogus/temp1_input", "40000\n");
  for (int n = 0; n < 9999; ++n) tree.link("sys/class/hwmon/hwmon" + std::to_string(n), "../../devices/bogus");
  tree.write("sys/class/hwmon/hwmon9999/name", "coretemp\n");
  tree.write("sys/class/hwmon/hwmon9999/temp1_label", "Package id 0\n");
  tree.write("sys/class/hwmon/hwmon9999/temp1_input", "40000\n");
  HwmonSensors sensors(tree.root());
  const auto metrics = sensors.sample(1);
  EXPECT_EQ(metrics.size(), 3 + HwmonSensors::kMaxSensorMetrics + 1);  // groups, sensors, "Fan speed"
  EXPECT_EQ(metrics[2].source, "hwmon · coretemp Package id 0");        // the CPU is still found
  EXPECT_EQ(sensors.status(), "hwmon · read-only · kernel driver sensors · 9744 more sensors not shown (at most 256 per reading)");
}

}  // namespace
}  // namespace tempyra
