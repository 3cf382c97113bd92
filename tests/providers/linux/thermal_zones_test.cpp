#include "providers/linux/thermal_zones.h"

#include <gtest/gtest.h>

#include "temp_tree.h"

namespace tempyra {
namespace {

using testing::TempTree;

struct Trip {
  std::string type, temp, hyst = "0";
  bool bound = false;
};

// A zone; a trip marked bound gets the processor cooling device cooling_device9.
void writeZone(const TempTree& tree, int n, const std::string& temp, const std::vector<Trip>& trips) {
  const std::string zone = "sys/class/thermal/thermal_zone" + std::to_string(n) + "/";
  tree.write(zone + "type", "acpitz\n");
  if (temp == "<dir>") tree.mkdir(zone + "temp");
  else tree.write(zone + "temp", temp + "\n");
  for (std::size_t i = 0; i < trips.size(); ++i) {
    const std::string trip = zone + "trip_point_" + std::to_string(i);
    tree.write(trip + "_type", trips[i].type + "\n");
    tree.write(trip + "_temp", trips[i].temp + "\n");
    tree.write(trip + "_hyst", trips[i].hyst + "\n");
    if (!trips[i].bound) continue;
    tree.write("sys/class/thermal/cooling_device9/type", "Processor\n");
    tree.write("sys/class/thermal/cooling_device9/cur_state", "0\n");
    tree.link(zone + "cdev0", "../cooling_device9");
    tree.write(zone + "cdev0_trip_point", std::to_string(i) + "\n");
  }
}

TEST(ThermalZones, LevelFromTrips) {
  const std::vector<Trip> acpi = {{"critical", "100000"}, {"passive", "90000", "0", true}};
  const int unknown = kUnknownThermalLevel;
  struct Case {
    const char* what;
    std::string temp;
    std::vector<Trip> trips;
    int level;
  } cases[] = {
      {"below fair", "79999", acpi, 0},
      {"fair from 10 °C below serious", "80000", acpi, 1},
      {"serious at the bound passive trip", "90000", acpi, 2},
      {"critical at the critical trip", "100000", acpi, 3},
      {"serious 10 °C below hot without passive", "75000", {{"hot", "85000"}}, 2},
      {"unbound passive only makes fair", "95000", {{"passive", "90000"}}, 1},
      {"top fan stage makes fair", "60000", {{"active", "50000"}, {"active", "60000"}}, 1},
      {"unset and zero trips", "99000", {{"passive", "-274000"}, {"critical", "0"}}, unknown},
      {"placeholder and unknown trips", "99000", {{"critical", "255000"}, {"bogus", "50000"}}, unknown},
      {"a critical trip no machine shuts down at", "16800", {{"critical", "20800"}}, unknown},
      {"temperature unreadable", "<dir>", {{"critical", "100000"}}, unknown},
      {"temperature out of range", "150000", {{"critical", "100000"}}, unknown},
      {"a captured acpitz at -44 °C", "-44000", {{"critical", "100000"}}, unknown},
      {"temperature not a number", "N/A", {{"critical", "100000"}}, unknown},
  };
  for (const auto& c : cases) {
    TempTree tree;
    writeZone(tree, 0, c.temp, c.trips);
    EXPECT_EQ(ThermalZones(tree.root()).level(0), c.level) << c.what;
  }
}

TEST(ThermalZones, EachLevelIsLeftByItsOwnTripsHysteresis) {
  TempTree tree;
  writeZone(tree, 0, "<dir>", {{"critical", "100000"}});  // unreadable: the other zone decides
  // The fan trip's 15 °C hysteresis must not hold "critical" or "serious".
  writeZone(tree, 1, "91000", {{"critical", "100000"}, {"passive", "90000", "3000", true}, {"active", "60000", "15000"}});
  ThermalZones zones(tree.root());
  const std::pair<const char*, int> steps[] = {{"91000", 2}, {"87000", 2}, {"86999", 1}, {"100000", 3},
                                               {"98000", 3}, {"97999", 2}, {"40000", 0}, {"60000", 1},
                                               {"45000", 1}, {"44999", 0}};
  double now = 0;
  for (const auto& [temp, level] : steps) {
    tree.write("sys/class/thermal/thermal_zone1/temp", std::string(temp) + "\n");
    EXPECT_EQ(zones.level(now += 5), level) << temp;
  }
}

TEST(ThermalZones, ThrottlingEvidenceRaisesButNeverProvesNominal) {
  TempTree tree;
  writeZone(tree, 0, "40000", {{"critical", "100000"}, {"passive", "90000", "0", true}});
  const std::string cpu = "sys/devices/system/cpu/cpu0/thermal_throttle/";
  const std::string cdev = "sys/class/thermal/cooling_device";
  tree.write(cpu + "core_throttle_count", "5\n");
  tree.write(cpu + "core_throttle_total_time_ms", "100\n");
  tree.write(cdev + "4/type", "TCC Offset\n");  // a static offset, not throttling
  tree.write(cdev + "4/cur_state", "7\n");
  tree.write(cdev + "5/type", "intel_powerclamp\n");
  tree.write(cdev + "5/cur_state", "-1\n");  // idle injection off
  tree.write(cdev + "5/max_state", "50\n");
  tree.write(cdev + "6/type", "Processor\n");  // linked to the zone but to none of its trips
  tree.write(cdev + "6/cur_state", "2\n");
  tree.link("sys/class/thermal/thermal_zone0/cdev1", "../cooling_device6");
  tree.write("sys/class/thermal/thermal_zone0/cdev1_trip_point", "-1\n");
  ThermalZones zones(tree.root());
  const std::vector<std::pair<std::string, std::string>> steps[] = {
      {},
      {{cpu + "core_throttle_count", "6"}},               // a new throttle episode started: fair
      {{cpu + "core_throttle_total_time_ms", "1100"}},    // throttled 10 % of the interval: serious
      {{cdev + "9/cur_state", "3"}},                      // a bound processor device in use: serious
      {{cdev + "9/cur_state", "0"}},
      {{cdev + "5/cur_state", "25"}},                     // idle injection: serious
      {{cdev + "5/cur_state", "60"}},                     // beyond max_state: garbage, ignored
      {{"sys/class/thermal/thermal_zone0/temp", "x"}, {cdev + "9/cur_state", "3"}},
      {{cdev + "9/cur_state", "0"}},
  };
  const int expected[] = {0, 1, 2, 2, 0, 2, 0, 2, kUnknownThermalLevel};
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    for (const auto& [file, text] : steps[i]) tree.write(file, text + "\n");
    EXPECT_EQ(zones.level(10.0 * static_cast<double>(i)), expected[i]) << i;
  }
  EXPECT_EQ(zones.latest().capability,
            "Not available · no zone with valid trip points reads a plausible temperature "
            "(thermal_zone0: temperature not a number)");
}

}  // namespace
}  // namespace tempyra
