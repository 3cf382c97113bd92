#include "providers/system_provider.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/model_json.h"

#include "tests/providers/macos/fake_controller.h"

namespace tempyra {
namespace {

using namespace testing;
constexpr std::uint64_t kSecond = 1'000'000'000;

// A platform that names the macOS interfaces and answers from its fields.
struct MacPlatform : Platform {
  struct Process {
    std::int32_t pid;
    std::uint64_t cpuNs, start;
    std::optional<std::string> name;
  };
  PlatformWords w{"Available · ProcessInfo.thermalState", "host_statistics", "Available · host_statistics",
                  "IOPowerSources · subject to hardware availability", "IOPMCopyCPUPowerStatus",
                  "IOPMCopyCPUPowerStatus · subject to availability",
                  "Best effort · proc_pid_rusage; restricted processes omitted", ""};
  int thermal = 0, nameCalls = 0;
  std::optional<std::vector<std::uint64_t>> ticks;
  std::optional<std::vector<Process>> processes = std::vector<Process>{};
  std::optional<PowerSnapshot> power;
  std::optional<std::map<std::string, double>> limits;

  const Process& find(std::int32_t pid) const {
    return *std::find_if(processes->begin(), processes->end(), [&](const Process& p) { return p.pid == pid; });
  }
  const PlatformWords& words() const override { return w; }
  int thermalLevel() override { return thermal; }
  std::string osText() override { return "Version 14.5 (Build 23F79)"; }
  std::optional<std::string> modelText() override { return "MacBookPro16,1"; }
  std::string architectureText() override { return "Intel"; }
  std::optional<std::vector<std::uint64_t>> cpuTicks() override { return ticks; }
  std::optional<std::vector<std::int32_t>> processIds() override {
    std::vector<std::int32_t> ids;
    for (const auto& p : *processes) ids.push_back(p.pid);
    return ids;
  }
  std::optional<ProcessTimes> processTimes(std::int32_t pid) override {
    return ProcessTimes{find(pid).cpuNs, find(pid).start};
  }
  std::optional<std::string> processName(std::int32_t pid) override { return ++nameCalls, find(pid).name; }
  std::optional<PowerSnapshot> powerSources() override { return power; }
  std::optional<std::map<std::string, double>> cpuPowerStatus() override { return limits; }
};

struct Rig {
  MacPlatform* platform;
  FakeController::State controller;
  std::unique_ptr<SystemProvider> provider;
  int hardwareMade = 0;

  // By default the controller cannot be opened.
  explicit Rig(FakeController::State state = {{}, false, 0}) : controller(std::move(state)) {
    auto owned = std::make_unique<MacPlatform>();
    platform = owned.get();
    provider = std::make_unique<SystemProvider>(std::move(owned), [this] {
      ++hardwareMade;
      return std::make_unique<SMCSensors>(std::make_unique<FakeController>(&controller));
    });
  }
  Reading sample(double at, bool processes = true) { return provider->sample(at, "seg", processes); }
};

TEST(SystemProvider, TheControllerIsOpenedOnceAtTheFirstSample) {
  Rig rig;
  EXPECT_EQ(rig.provider->profile().capabilities.at("Fan RPM"), "Checking hardware capabilities on first sample");
  EXPECT_EQ(rig.hardwareMade, 0);

  rig.sample(10);
  rig.sample(20);
  EXPECT_EQ(rig.hardwareMade, 1);
  const DeviceProfile after = rig.provider->profile();
  const std::string unavailable = "Controller unavailable or access restricted";
  EXPECT_EQ(after.fans, unavailable);
  EXPECT_EQ(after.capabilities.at("Battery temperature"), unavailable);  // settled like the others

  Rig twoFans(controllerWith({{"TC0P", sp78(50)}, {"FNum", ui8(2)}, {"F0Ac", fpe2(1200)}, {"F1Ac", fpe2(1300)}}));
  twoFans.sample(1);
  EXPECT_EQ(twoFans.provider->profile().fans, "2 controller-reported fan(s)");
}

TEST(SystemProvider, CpuLoadNeedsTwoSamples) {
  struct Case {
    const char* what;
    std::vector<std::uint64_t> first, second;
    std::optional<double> load;
  } cases[] = {
      {"plain", {100, 50, 800, 50}, {160, 90, 900, 50}, 50.0},
      {"past 2^32", {0xFFFFFF00u, 0, 0xFFFFFFF0u, 0}, {0x1'0000'0100u, 0, 0x1'0000'01F0u, 0}, 50.0},
      {"no advance", {5, 5, 5, 5}, {5, 5, 5, 5}, std::nullopt},
      {"a counter went backwards", {1000, 100, 5000, 0}, {990, 200, 5100, 0}, 50.0},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.platform->ticks = c.first;
    const Reading first = rig.sample(1);
    EXPECT_FALSE(first.cpu.value) << c.what;
    EXPECT_EQ(first.cpu.source, "host_statistics · establishing baseline");
    rig.platform->ticks = c.second;
    const Reading second = rig.sample(2);
    EXPECT_EQ(second.cpu.value, c.load) << c.what;
    EXPECT_EQ(second.cpu.source, "host_statistics · interval average");
    EXPECT_EQ(second.cpu.quality, c.load ? "Measured" : "Not available");
  }
  Rig rig;  // unreadable counters keep the baseline
  rig.platform->ticks = std::vector<std::uint64_t>{0, 0, 100, 0};
  rig.sample(1);
  rig.platform->ticks.reset();
  EXPECT_EQ(rig.sample(2).cpu.source, "host_statistics");
  rig.platform->ticks = std::vector<std::uint64_t>{25, 0, 175, 0};
  EXPECT_EQ(rig.sample(3).cpu.value, 25.0);
  rig.provider->reset();
  EXPECT_EQ(rig.sample(4).cpu.source, "host_statistics · establishing baseline");
}

TEST(SystemProvider, ProcessSharesRankingAndThreshold) {
  Rig rig;
  std::vector<MacPlatform::Process> procs;
  for (int i = 1; i <= 12; ++i) procs.push_back({i, 0, 7, "p"});
  procs.push_back({50, 0, 7, "at threshold"});
  procs.push_back({0, 0, 7, "kernel"});
  rig.platform->processes = procs;
  EXPECT_TRUE(rig.sample(100).activity.empty());

  for (auto& p : *rig.platform->processes) {  // over 2 s: pid i used i % of a core
    if (p.pid >= 1 && p.pid <= 12) p.cpuNs = static_cast<std::uint64_t>(p.pid) * 20'000'000;
    if (p.pid == 50) p.cpuNs = 2'000'000;  // exactly 0.1 %
  }
  rig.platform->nameCalls = 0;
  const Reading reading = rig.sample(102);
  ASSERT_EQ(reading.activity.size(), 8u);
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(reading.activity[i].id, 12 - static_cast<int>(i));
    EXPECT_NEAR(reading.activity[i].cpu, 12.0 - static_cast<double>(i), 1e-9);
  }
  EXPECT_EQ(rig.platform->nameCalls, 12);  // never for the idle process
}

TEST(SystemProvider, ProcessIdentityNamesAndCollectionSwitch) {
  Rig rig;
  rig.platform->processes = std::vector<MacPlatform::Process>{
      {10, 0, 1, "reused"}, {11, 5 * kSecond, 1, "went back"}, {12, 0, 1, std::nullopt},
      {13, 0, 1, std::string("bad\xff\xfe name\0tail", 15)}, {14, 0, 1, "same"}, {15, 0, 1, "same too"}};
  rig.sample(0);
  auto& p = *rig.platform->processes;
  p[0] = {10, kSecond, 2, "reused"};  // a new process with the old id
  p[1].cpuNs = 4 * kSecond;
  p[2].cpuNs = p[3].cpuNs = kSecond;
  p[4].cpuNs = p[5].cpuNs = kSecond / 2;
  const Reading r = rig.sample(1);
  ASSERT_EQ(r.activity.size(), 3u);
  EXPECT_EQ(r.activity[0].name, "bad\xEF\xBF\xBD\xEF\xBF\xBD name");
  EXPECT_EQ(r.activity[1].name, "same");  // equal shares keep the platform's order
  EXPECT_EQ(r.activity[2].name, "same too");

  // Collection off forgets the baseline: the first sample after turning it on lists nothing.
  auto advance = [&] { for (auto& q : *rig.platform->processes) q.cpuNs += kSecond; };
  EXPECT_TRUE(rig.sample(2, false).activity.empty());
  advance();
  EXPECT_TRUE(rig.sample(3).activity.empty());
  advance();
  EXPECT_EQ(rig.sample(4).activity.size(), 5u);
}

TEST(SystemProvider, PowerContexts) {
  using D = PowerSourceDescription;
  const D ups{"UPS", 10.0, 100.0, false};
  const PowerSource ac = PowerSource::ac;
  auto battery = [](double current, double max, std::optional<bool> charging) {
    return std::vector<D>{D{"InternalBattery", current, max, charging}};
  };
  struct Case {
    std::optional<PowerSnapshot> snapshot;
    PowerContext expected;
  } cases[] = {
      {std::nullopt, {}},
      {PowerSnapshot{}, {}},
      {PowerSnapshot{ac, std::vector<D>{ups}, {}}, {PowerSource::ac, std::nullopt, std::nullopt, {}}},
      {PowerSnapshot{PowerSource::battery, std::vector<D>{ups, D{"InternalBattery", 40.0, 80.0, false}}, {}},
       {PowerSource::battery, 50.0, false, {}}},
      {PowerSnapshot{PowerSource::other, std::nullopt, "UPS Power"},
       {PowerSource::other, std::nullopt, std::nullopt, "UPS Power"}},
      {PowerSnapshot{ac, battery(50, 0, true), {}}, {PowerSource::ac, std::nullopt, true, {}}},
      {PowerSnapshot{ac, battery(120, 100, std::nullopt), {}}, {PowerSource::ac, 100.0, std::nullopt, {}}},
      {PowerSnapshot{ac, battery(std::nan(""), 100, true), {}}, {PowerSource::ac, 0.0, true, {}}},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.platform->power = c.snapshot;
    EXPECT_EQ(rig.sample(1).power, c.expected) << sourceWords(c.expected);
  }
}

TEST(SystemProvider, CpuLimitsFollowTheControllerMetrics) {
  Rig rig;
  rig.platform->thermal = 4;  // no such level
  const Reading first = rig.sample(1);
  EXPECT_EQ(first.state, ThermalState::unknown);
  EXPECT_EQ(first.sensors.size(), 4u);  // power status unavailable: no limit metrics
  rig.platform->limits = std::map<std::string, double>{{"CPU_Speed_Limit", 100}, {"CPU_Scheduler_Limit", 100.5}};
  Reading r = rig.sample(2);
  ASSERT_EQ(r.sensors.size(), 6u);
  EXPECT_EQ(r.sensors[4].value, 100.0);
  EXPECT_EQ(r.sensors[5].quality, "Not available");  // over 100 %
  rig.platform->limits = std::map<std::string, double>{{"CPU_Speed_Limit", std::nan("")}};
  EXPECT_FALSE(rig.sample(3).sensors[4].value);
  // A backend that learns more from a sample refines its words; the profile and source follow.
  rig.platform->w.cpuSpeedNote = "held at minimum frequency";
  rig.platform->w.thermalCapability = "Available · decided by a zone";
  EXPECT_EQ(rig.sample(4).sensors[4].source,
            "IOPMCopyCPUPowerStatus · OS limit, not measured throttling · held at minimum frequency");
  EXPECT_EQ(rig.provider->profile().capabilities.at("Thermal pressure"), "Available · decided by a zone");
}

}  // namespace
}  // namespace tempyra
