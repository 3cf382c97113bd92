#include "providers/linux/hwmon_sensors.h"

#include <gtest/gtest.h>

#include "temp_tree.h"

namespace tempyra {
namespace {

TEST(HwmonSensors, LaptopFixture) {
  HwmonSensors sensors(std::string(TEMPYRA_FIXTURES) + "/laptop");
  EXPECT_EQ(sensors.status(), "hwmon · read-only · kernel driver sensors");
  const auto metrics = sensors.sample(42);
  const std::vector<std::tuple<std::string, std::optional<double>, std::string>> expected = {
      {"Battery temperature", 31.5, "hwmon · BAT0 temp1"},
      {"GPU temperature", std::nullopt,
       "hwmon · read-only · kernel driver sensors · no readable GPU sensor among the known drivers"},
      {"CPU temperature", 55, "hwmon · coretemp Package id 0"},
      {"Sensor acpitz temp1", 48, "hwmon / acpitz temp1_input · driver-reported"},
      {"Sensor coretemp Package id 0", 55, "hwmon / coretemp temp1_input · driver-reported"},
      {"Sensor coretemp Core 0", 53, "hwmon / coretemp temp2_input · driver-reported"},
      {"Sensor coretemp Core 4", 54.5, "hwmon / coretemp temp6_input · driver-reported"},
      {"Sensor BAT0 temp1", 31.5, "hwmon / BAT0 temp1_input · driver-reported"},
      // nct6798: 127 °C is an unconnected input, temp2 reports a fault
      {"Sensor nct6798 SYSTIN", 38, "hwmon / nct6798 temp3_input · driver-reported"},
      {"Fan 1", 2900, "hwmon / thinkpad fan1_input · actual speed"},
      {"Fan 2", 0, "hwmon / thinkpad fan2_input · actual speed"},
      {"Fan 3", std::nullopt, "hwmon / thinkpad fan3_input · actual speed"},  // read fails
  };
  ASSERT_EQ(metrics.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& [name, value, source] = expected[i];
    EXPECT_EQ(metrics[i].name, name);
    EXPECT_EQ(metrics[i].value, value) << name;
    EXPECT_EQ(metrics[i].source, source);
    EXPECT_EQ(metrics[i].quality, value ? "Measured" : "Not available") << name;
  }
}

TEST(HwmonSensors, CpuGroupPrefersTheDieSensorAndAveragesPackages) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> files;
    double cpu;
    std::string source;
  } cases[] = {
      {{{"hwmon0/name", "k10temp\n"}, {"hwmon0/temp1_label", "Tctl\n"}, {"hwmon0/temp1_input", "70000\n"},
        {"hwmon0/temp2_label", "Tdie\n"}, {"hwmon0/temp2_input", "60000\n"}},
       60, "hwmon · k10temp Tdie"},
      {{{"hwmon0/name", "coretemp\n"}, {"hwmon0/temp1_label", "Package id 0\n"}, {"hwmon0/temp1_input", "50000\n"},
        {"hwmon1/name", "coretemp\n"}, {"hwmon1/temp1_label", "Package id 1\n"}, {"hwmon1/temp1_input", "60000\n"}},
       55, "hwmon · mean of coretemp Package id 0, coretemp (hwmon1) Package id 1"},
      // attributes of a legacy driver live in the device directory
      {{{"hwmon3/device/name", "cpu_thermal\n"}, {"hwmon3/device/temp1_input", "45000\n"}}, 45, "hwmon · cpu_thermal temp1"},
  };
  for (const auto& c : cases) {
    testing::TempTree tree;
    for (const auto& [path, text] : c.files) tree.write("sys/class/hwmon/" + path, text);
    const auto metrics = HwmonSensors(tree.root()).sample(1);
    EXPECT_EQ(metrics.at(2).value, c.cpu) << c.source;
    EXPECT_EQ(metrics[2].source, c.source);
  }
}

}  // namespace
}  // namespace tempyra
