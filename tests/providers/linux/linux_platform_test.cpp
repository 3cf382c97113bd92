#include "providers/linux/linux_platform.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "providers/linux/proc_stat.h"
#include "providers/system_provider.h"
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
  EXPECT_EQ(p.architectureText(), "Intel");
  EXPECT_EQ(p.cpuTicks(), (std::vector<std::uint64_t>{1000, 315, 5100, 20}));

  auto ids = p.processIds().value();
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids, (std::vector<std::int32_t>{1, 42, 77, 100}));
  const auto times = p.processTimes(42).value();
  EXPECT_EQ(times.cpuNs, 4'000'000'000u);  // (300 + 100) ticks at 100 Hz
  EXPECT_EQ(times.startStamp, 900u);
  EXPECT_EQ(p.processName(42), "a) (b");
  EXPECT_FALSE(p.processTimes(100));  // exited between listing and reading
  EXPECT_EQ(p.processName(77), "web content xtra");  // cut name completed from the command line
}

// 200 busy ticks in 2 s (one of two cores): the shell's own 3 ticks and 210 ticks of finished
// children are held to the 200 the machine did; make's 50 fit.
TEST(LinuxPlatform, FinishedChildrenCountInTheirParentWithinTheMachinesWork) {
  testing::TempTree tree;
  tree.copy(kFixtures + "/shell_loop_before");
  SystemProvider provider(std::make_unique<LinuxPlatform>(tree.root()), nullptr);
  provider.sample(1, "s", true);
  std::filesystem::remove_all(tree.root() / "proc");
  tree.copy(kFixtures + "/shell_loop_after");
  const Reading r = provider.sample(3, "s", true);
  EXPECT_EQ(r.cpu.value, 50.0);
  std::vector<std::tuple<std::int32_t, std::string, double>> listed;
  for (const auto& p : r.activity) listed.emplace_back(p.id, p.name, p.cpu);
  EXPECT_EQ(listed, (decltype(listed){{4242, "bash", 100.0}, {5000, "make", 25.0}}));
}

TEST(LinuxPlatform, SensorlessBoardSaysWhy) {
  LinuxPlatform p(kFixtures + "/sensorless_arm");
  EXPECT_EQ(p.osText(), "Debian GNU/Linux 12 (bookworm)");
  EXPECT_EQ(p.architectureText(), "ARM64");
  EXPECT_EQ(p.words().cpuLimitsCapability, "Not available · no cpufreq policy or idle-injection device in /sys");
}

TEST(LinuxPlatform, PowerSupplyVariants) {
  const std::string bat = "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=";
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> supplies;  // name -> uevent
    std::optional<PowerSource> type;
    std::optional<double> current, max;
    std::optional<bool> charging;
    bool battery;
  } cases[] = {
      {"desktop", {{"ACAD", "POWER_SUPPLY_TYPE=Mains\nPOWER_SUPPLY_ONLINE=1\n"}}, PowerSource::ac, {}, {}, {}, false},
      {"nothing listed", {}, std::nullopt, {}, {}, {}, false},
      {"two batteries discharging, energy summed",
       {{"AC", "POWER_SUPPLY_TYPE=Mains\nPOWER_SUPPLY_ONLINE=0\n"},
        {"BAT0", bat + "Discharging\nPOWER_SUPPLY_ENERGY_NOW=10\nPOWER_SUPPLY_ENERGY_FULL=40\n"},
        {"BAT1", bat + "Unknown\nPOWER_SUPPLY_ENERGY_NOW=30\nPOWER_SUPPLY_ENERGY_FULL=40\n"}},
       PowerSource::battery, 40.0, 80.0, false, true},
      {"not charging on USB-C",
       {{"ucsi-source-psy-1", "POWER_SUPPLY_TYPE=USB\nPOWER_SUPPLY_ONLINE=1\n"},
        {"BAT0", bat + "Not charging\nPOWER_SUPPLY_CHARGE_NOW=2000\nPOWER_SUPPLY_CHARGE_FULL=4000\n"}},
       PowerSource::ac, 2000.0, 4000.0, false, true},
      {"battery not present, malformed capacity",
       {{"BAT0", "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_PRESENT=0\nPOWER_SUPPLY_CAPACITY=80\n"},
        {"BAT1", bat + "Unknown\nPOWER_SUPPLY_CAPACITY=oops\n"}},
       std::nullopt, {}, {}, {}, true},
      {"capacity -1 falls back to energy",
       {{"BAT0", bat + "Charging\nPOWER_SUPPLY_CAPACITY=-1\nPOWER_SUPPLY_ENERGY_NOW=30\nPOWER_SUPPLY_ENERGY_FULL=60\n"}},
       PowerSource::ac, 30.0, 60.0, true, true},
      {"capacity 150, implausible energy, unknown status",
       {{"BAT0", bat + "Sleeping\nPOWER_SUPPLY_CAPACITY=150\nPOWER_SUPPLY_ENERGY_NOW=90\nPOWER_SUPPLY_ENERGY_FULL=60\n"}},
       std::nullopt, {}, {}, {}, true},
      {"only a mouse",
       {{"hidpp_battery_0", "POWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_SCOPE=Device\nPOWER_SUPPLY_CAPACITY=85\n"}},
       std::nullopt, {}, {}, {}, false},
  };
  for (const auto& c : cases) {
    testing::TempTree tree;
    tree.mkdir("sys/class/power_supply");
    for (const auto& [name, uevent] : c.supplies) tree.write("sys/class/power_supply/" + name + "/uevent", uevent);
    const auto snapshot = LinuxPlatform(tree.root()).powerSources().value();
    EXPECT_EQ(snapshot.providing, c.type) << c.what;
    ASSERT_EQ(snapshot.sources->size(), c.battery ? 1u : 0u) << c.what;
    if (!c.battery) continue;
    const auto& b = (*snapshot.sources)[0];
    EXPECT_EQ(b.currentCapacity, c.current) << c.what;
    EXPECT_EQ(b.maxCapacity, c.max) << c.what;
    EXPECT_EQ(b.isCharging, c.charging) << c.what;
  }
}

TEST(LinuxPlatform, SpeedLimitOnEveryCpufreqLayout) {
  const std::string cpu = "sys/devices/system/cpu/";
  using Files = std::vector<std::pair<std::string, std::string>>;
  auto policy = [&](const std::string& dir, const char* cpus, const char* max, const char* limit) {
    return Files{{dir + "related_cpus", cpus}, {dir + "cpuinfo_max_freq", max}, {dir + "scaling_max_freq", limit}};
  };
  auto join = [](Files a, const Files& b) { return a.insert(a.end(), b.begin(), b.end()), a; };
  struct Case {
    const char* what;
    Files files;
    std::optional<double> limit;
  } cases[] = {
      {"cpuN/cpufreq only (older kernels)",
       join(policy(cpu + "cpu0/cpufreq/", "0 1", "2333000", "1000000"), policy(cpu + "cpu1/cpufreq/", "0 1", "2333000", "2333000")),
       100.0 * 1000000 / 2333000},
      {"hybrid: the lower of two policies",
       join(policy(cpu + "cpufreq/policy0/", "0-3", "4800000", "4800000"), policy(cpu + "cpufreq/policy4/", "4-7", "3600000", "2700000")),
       75.0},
      {"both layouts, one policy read once",
       join(policy(cpu + "cpufreq/policy0/", "0", "2400000", "1200000"), policy(cpu + "cpu0/cpufreq/", "0", "2400000", "2400000")),
       50.0},
      {"an inactive policy does not count",
       join(policy(cpu + "cpufreq/policy0/", "0", "2000000", "1000000"), Files{{cpu + "cpufreq/policy0/affected_cpus", ""}}),
       std::nullopt},
      {"a limit beyond the hardware is garbage", policy(cpu + "cpufreq/policy0/", "0", "2000000", "2500000"), std::nullopt},
      {"disabled turbo is not a cap",
       join(policy(cpu + "cpufreq/policy0/", "0", "4000000", "3000000"),
            Files{{cpu + "cpufreq/policy0/base_frequency", "3000000"}, {cpu + "intel_pstate/no_turbo", "1"},
                  {cpu + "intel_pstate/max_perf_pct", "90"}}),
       90.0},
  };
  for (const auto& c : cases) {
    testing::TempTree tree;
    for (const auto& [file, text] : c.files) tree.write(file, text + "\n");
    const auto status = LinuxPlatform(tree.root()).cpuPowerStatus();
    std::optional<double> limit;
    if (status && status->count(kCpuSpeedLimitKey)) limit = status->at(kCpuSpeedLimitKey);
    EXPECT_EQ(limit, c.limit) << c.what;
  }
  EXPECT_EQ(LinuxPlatform(kFixtures + "/thinkpad_t60p").words().cpuLimitsCapability,
            "cpufreq policies · firmware limit 1000 MHz (bios_limit)");
}

TEST(LinuxPlatform, IdleInjectionGarbageIsNoSchedulerLimit) {
  const std::pair<const char*, std::optional<double>> cases[] = {
      {"30", 70.0}, {"-1", 100.0}, {"60", std::nullopt}, {"x", std::nullopt}};
  for (const auto& [state, limit] : cases) {
    testing::TempTree tree;
    tree.write("sys/class/thermal/cooling_device3/type", "intel_powerclamp\n");
    tree.write("sys/class/thermal/cooling_device3/max_state", "50\n");
    tree.write("sys/class/thermal/cooling_device3/cur_state", std::string(state) + "\n");
    const auto status = LinuxPlatform(tree.root()).cpuPowerStatus();
    EXPECT_EQ(status ? std::optional(status->at(kCpuSchedulerLimitKey)) : std::nullopt, limit) << state;
  }
}

// At its minimum frequency sample after sample while the policy allows far more, and not idle.
TEST(LinuxPlatform, CpuHeldAtMinimumFrequencyIsSaid) {
  testing::TempTree tree;
  tree.copy(kFixtures + "/panasonic_held_min");
  LinuxPlatform p(tree.root());
  const std::string held = "held at minimum frequency (400 MHz)";
  p.cpuPowerStatus();
  EXPECT_EQ(p.words().cpuSpeedNote, "");  // once could be a coincidence
  p.cpuPowerStatus();
  EXPECT_EQ(p.words().cpuSpeedNote, held);
  EXPECT_EQ(p.words().cpuLimitsCapability, "cpufreq policies · " + held + " although the policy allows 4100 MHz");
  const std::pair<const char*, const char*> loads[] = {
      {"cpu  101 0 101 998\n", ""},     // 1 % busy: an idle CPU rests at its minimum
      {"cpu  601 0 101 1098\n", "held"},  // busy and still at the minimum
  };
  tree.write("proc/stat", "cpu  100 0 100 800\n");
  p.cpuTicks();
  for (const auto& [stat, expected] : loads) {
    tree.write("proc/stat", stat);
    p.cpuTicks();
    p.cpuPowerStatus();
    EXPECT_EQ(p.words().cpuSpeedNote.substr(0, 4), expected) << stat;
  }
}

TEST(LinuxPlatform, ModelText) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> dmi;
    std::optional<std::string> model;
  } cases[] = {
      {{{"sys_vendor", "Dell Inc."}, {"product_name", "PowerEdge R6515"}, {"product_version", "\xEF\xBF\xBD\x1C[\xEF\xBF\xBD"}},
       "Dell Inc. PowerEdge R6515"},
      {{{"product_name", "To Be Filled By O.E.M."}, {"board_vendor", "ASUSTeK COMPUTER INC."}, {"board_name", "PRIME B550M-A"}},
       "ASUSTeK COMPUTER INC. PRIME B550M-A"},
      {{{"sys_vendor", "Acme\x07"}, {"product_name", "Road\x1b[31mRunner\x7f 3000"}}, "Acme Road[31mRunner 3000"},
      {{{"sys_vendor", "   "}, {"product_name", " "}}, std::nullopt},
  };
  for (const auto& c : cases) {
    testing::TempTree tree;
    for (const auto& [field, text] : c.dmi) tree.write("sys/class/dmi/id/" + field, text + "\n");
    EXPECT_EQ(LinuxPlatform(tree.root()).modelText(), c.model) << c.dmi[0].second;
  }
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
  LinuxPlatform p(tree.root());
  EXPECT_FALSE(p.cpuTicks());
  EXPECT_EQ(p.words().cpuLoadCapability, "Not available · /proc/stat is not readable");
  auto ids = p.processIds().value();
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids, (std::vector<std::int32_t>{12, 13, 14, 15, 16}));
  for (const std::int32_t pid : {12, 13, 14, 15}) EXPECT_FALSE(p.processTimes(pid)) << pid;
  EXPECT_EQ(p.processName(16), "two lines");
  EXPECT_EQ(p.osText(), "Linux");
}

}  // namespace
}  // namespace tempyra
