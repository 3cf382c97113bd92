#include "providers/linux/linux_platform.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "providers/linux/proc_stat.h"
#include "temp_tree.h"

namespace tempyra {
namespace {

const std::string kFixtures = TEMPYRA_FIXTURES;
const std::string kTail = " S 1 2 3 4 5 4194304 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21\n";

TEST(ProcPidStat, CommandNamesEndAtTheLastParenthesis) {
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {"42 (a) (b)" + kTail, "a) (b"},
      {"42 (x y ))" + kTail, "x y )"},
      {"42 (two\nlines)" + kTail, "two\nlines"},
      {"42 (" + std::string(63, 'k') + ")" + kTail, std::string(63, 'k')},
      {"42 (short) S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18\n", std::nullopt},
      {"42 (bad) S 1 2 3 4 5 6 7 8 9 10 x 12 13 14 15 16 17 18 19 20\n", std::nullopt},
      {"(nopid)" + kTail, std::nullopt},
  };
  for (const auto& [text, comm] : cases) {
    const auto stat = parseProcPidStat(text);
    ASSERT_EQ(stat.has_value(), comm.has_value()) << text;
    if (!stat) continue;
    EXPECT_EQ(stat->comm, *comm);
    EXPECT_EQ(std::vector<std::uint64_t>({stat->flags, stat->utime, stat->stime, stat->startTime}),
              std::vector<std::uint64_t>({4194304, 11, 12, 19}));
  }
}

TEST(HostTicks, FoldedIntoFourCountersWithoutCountingGuestTwice) {
  using A = std::array<std::uint64_t, 4>;
  const std::pair<std::string, std::optional<A>> cases[] = {
      {"cpu  1000 20 300 5000 100 10 5 7 50 3\ncpu0 1 1 1 1\n", A{1000, 322, 5100, 20}},
      {"intr 5\ncpu  1 2 3 4\n", A{1, 3, 4, 2}},
      {"cpu0 1 2 3 4\n", std::nullopt},
      {"cpu  1 2 x 4\n", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(parseHostTicks(text), expected) << text;
}

TEST(LinuxPlatform, LaptopFixture) {
  LinuxPlatform p(kFixtures + "/laptop");
  EXPECT_EQ(p.osText(), "Ubuntu 24.04.1 LTS \"Noble\" (kernel 6.8.0-45-generic)");
  EXPECT_EQ(p.modelText(), "LENOVO 20XW0055GE");
  EXPECT_EQ(p.architectureText(), "Intel");
  EXPECT_EQ(p.cpuTicks(), (std::vector<std::uint32_t>{1000, 315, 5100, 20}));

  auto ids = p.processIds().value();
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids, (std::vector<std::int32_t>{1, 42, 77, 100}));
  const auto times = p.processTimes(42).value();
  EXPECT_EQ(times.cpuNs, 4'000'000'000u);  // (300 + 100) ticks at 100 Hz
  EXPECT_EQ(times.startStamp, 900u);
  EXPECT_EQ(p.processName(42), "a) (b");
  EXPECT_FALSE(p.processTimes(100));  // exited between listing and reading
  EXPECT_EQ(p.processName(77), "web content xtra");  // cut name completed from the command line

  const auto power = p.powerSources().value();
  EXPECT_EQ(power.providingType, "AC Power");
  ASSERT_EQ(power.sources->size(), 1u);  // the mouse battery is not the machine's
  EXPECT_EQ((*power.sources)[0].currentCapacity, 75.0);
  EXPECT_EQ((*power.sources)[0].isCharging, true);

  // The inactive policy's low cap does not count; an idle powerclamp forces no idle time.
  EXPECT_EQ(p.cpuPowerStatus(),
            (std::map<std::string, double>{{kCpuSpeedLimitKey, 75.0}, {kCpuSchedulerLimitKey, 100.0}}));
  EXPECT_EQ(p.thermalLevel(), 0);
}

TEST(LinuxPlatform, SensorlessBoardSaysWhy) {
  LinuxPlatform p(kFixtures + "/sensorless_arm");
  EXPECT_EQ(p.osText(), "Debian GNU/Linux 12 (bookworm)");
  EXPECT_EQ(p.modelText(), "Raspberry Pi 4 Model B Rev 1.4");
  EXPECT_EQ(p.architectureText(), "ARM64");
  EXPECT_FALSE(p.powerSources());
  EXPECT_FALSE(p.cpuPowerStatus());
  EXPECT_EQ(p.thermalLevel(), kUnknownThermalLevel);
  EXPECT_EQ(p.words().thermalCapability, "Not available · the kernel exposes no /sys/class/thermal");
  EXPECT_EQ(p.words().cpuLimitsCapability, "Not available · no cpufreq policy or idle-injection device in /sys");
}

TEST(LinuxPlatform, PowerSupplyVariants) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> supplies;  // name -> uevent
    std::optional<std::string> type;
    std::optional<double> current, max;
    std::optional<bool> charging;
    bool battery;
  } cases[] = {
      {"desktop", {{"ACAD", "POWER_SUPPLY_TYPE=Mains\nPOWER_SUPPLY_ONLINE=1\n"}}, "AC Power", {}, {}, {}, false},
      {"nothing listed", {}, std::nullopt, {}, {}, {}, false},
      {"two batteries discharging, energy summed",
       {{"AC", "POWER_SUPPLY_TYPE=Mains\nPOWER_SUPPLY_ONLINE=0\n"},
        {"BAT0", "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=Discharging\nPOWER_SUPPLY_ENERGY_NOW=10\nPOWER_SUPPLY_ENERGY_FULL=40\n"},
        {"BAT1", "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=Unknown\nPOWER_SUPPLY_ENERGY_NOW=30\nPOWER_SUPPLY_ENERGY_FULL=40\n"}},
       "Battery Power", 40.0, 80.0, false, true},
      {"not charging on USB-C",
       {{"ucsi-source-psy-1", "POWER_SUPPLY_TYPE=USB\nPOWER_SUPPLY_ONLINE=1\n"},
        {"BAT0", "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=Not charging\nPOWER_SUPPLY_CHARGE_NOW=2000\nPOWER_SUPPLY_CHARGE_FULL=4000\n"}},
       "AC Power", 2000.0, 4000.0, false, true},
      {"battery not present, malformed capacity",
       {{"BAT0", "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_PRESENT=0\nPOWER_SUPPLY_CAPACITY=80\n"},
        {"BAT1", "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=Unknown\nPOWER_SUPPLY_CAPACITY=oops\n"}},
       std::nullopt, {}, {}, {}, true},
  };
  for (const auto& c : cases) {
    testing::TempTree tree;
    tree.mkdir("sys/class/power_supply");
    for (const auto& [name, uevent] : c.supplies) tree.write("sys/class/power_supply/" + name + "/uevent", uevent);
    const auto snapshot = LinuxPlatform(tree.root()).powerSources().value();
    EXPECT_EQ(snapshot.providingType, c.type) << c.what;
    ASSERT_EQ(snapshot.sources->size(), c.battery ? 1u : 0u) << c.what;
    if (!c.battery) continue;
    const auto& b = (*snapshot.sources)[0];
    EXPECT_EQ(b.currentCapacity, c.current) << c.what;
    EXPECT_EQ(b.maxCapacity, c.max) << c.what;
    EXPECT_EQ(b.isCharging, c.charging) << c.what;
  }
}

TEST(LinuxPlatform, SpeedLimitIgnoresDisabledTurbo) {
  testing::TempTree tree;
  const std::string policy = "sys/devices/system/cpu/cpufreq/policy0/";
  tree.write(policy + "affected_cpus", "0 1\n");
  tree.write(policy + "cpuinfo_max_freq", "4000000\n");
  tree.write(policy + "scaling_max_freq", "3000000\n");
  tree.write(policy + "base_frequency", "3000000\n");
  tree.write("sys/devices/system/cpu/intel_pstate/no_turbo", "1\n");
  tree.write("sys/devices/system/cpu/intel_pstate/max_perf_pct", "90\n");
  tree.write("sys/class/thermal/cooling_device3/type", "idle-cpu0\n");
  tree.write("sys/class/thermal/cooling_device3/cur_state", "30\n");
  EXPECT_EQ(LinuxPlatform(tree.root()).cpuPowerStatus(),
            (std::map<std::string, double>{{kCpuSpeedLimitKey, 90.0}, {kCpuSchedulerLimitKey, 70.0}}));
}

TEST(LinuxPlatform, UnreadableAndMalformedFilesAreAbsent) {
  testing::TempTree tree;
  tree.mkdir("proc/stat");  // reading a directory fails like EIO
  tree.write("proc/12/stat", "12 (ok) S 1");
  tree.write("proc/13/stat", "garbage");
  tree.write("proc/14/stat", "99 (liar)" + kTail);
  tree.mkdir("proc/15/stat");
  tree.write("proc/16/stat", "16 (two\nlines)" + kTail);
  tree.mkdir("proc/99999999999");
  tree.mkdir("proc/net");
  tree.write("etc/os-release", "PRETTY_NAME=\n");
  tree.write("sys/class/dmi/id/product_name", "To Be Filled By O.E.M.\n");
  tree.write("sys/class/dmi/id/board_vendor", "ASUSTeK COMPUTER INC.\n");
  tree.write("sys/class/dmi/id/board_name", "PRIME B550M-A\n");
  LinuxPlatform p(tree.root());
  EXPECT_FALSE(p.cpuTicks());
  EXPECT_EQ(p.words().cpuLoadCapability, "Not available · /proc/stat is not readable");
  auto ids = p.processIds().value();
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids, (std::vector<std::int32_t>{12, 13, 14, 15, 16}));
  for (const std::int32_t pid : {12, 13, 14, 15}) EXPECT_FALSE(p.processTimes(pid)) << pid;
  EXPECT_EQ(p.processName(16), "two lines");
  EXPECT_EQ(p.osText(), "Linux");
  EXPECT_EQ(p.modelText(), "ASUSTeK COMPUTER INC. PRIME B550M-A");  // past the firmware placeholder
}

}  // namespace
}  // namespace tempyra
