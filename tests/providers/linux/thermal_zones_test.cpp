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
    std::filesystem::create_symlink("../cooling_device9", tree.root() / (zone + "cdev0"));
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
      {"temperature unreadable", "<dir>", {{"critical", "100000"}}, unknown},
      {"temperature out of range", "150000", {{"critical", "100000"}}, unknown},
  };
  for (const auto& c : cases) {
    TempTree tree;
    writeZone(tree, 0, c.temp, c.trips);
    EXPECT_EQ(ThermalZones(tree.root()).level(0), c.level) << c.what;
  }
}

TEST(ThermalZones, HottestUsableZoneWinsAndHysteresisHoldsALevel) {
  TempTree tree;
  writeZone(tree, 0, "<dir>", {{"critical", "100000"}});
  writeZone(tree, 1, "91000", {{"critical", "100000"}, {"passive", "90000", "3000", true}});
  ThermalZones zones(tree.root());
  const std::pair<const char*, int> steps[] = {{"91000", 2}, {"87000", 2}, {"86999", 1}, {"90000", 2},
                                               {"40000", 0}, {"80000", 1}, {"77000", 1}, {"76999", 0}};
  double now = 0;
  for (const auto& [temp, level] : steps) {
    tree.write("sys/class/thermal/thermal_zone1/temp", std::string(temp) + "\n");
    EXPECT_EQ(zones.level(now += 5), level) << temp;
  }
}

TEST(ThermalZones, ThrottlingEvidence) {
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
  ThermalZones zones(tree.root());
  EXPECT_EQ(zones.level(0), 0);
  tree.write(cpu + "core_throttle_count", "6\n");
  EXPECT_EQ(zones.level(10), 1);  // a new throttle episode started
  tree.write(cpu + "core_throttle_total_time_ms", "1100\n");
  EXPECT_EQ(zones.level(20), 2);  // throttled for 10 % of the interval
  tree.write(cdev + "9/cur_state", "3\n");
  EXPECT_EQ(zones.level(30), 2);  // a bound processor cooling device is reducing performance
  tree.write(cdev + "9/cur_state", "0\n");
  EXPECT_EQ(zones.level(40), 0);
  tree.write(cdev + "5/cur_state", "25\n");
  EXPECT_EQ(zones.level(50), 2);
}

}  // namespace
}  // namespace tempyra
