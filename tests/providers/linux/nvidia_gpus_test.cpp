#include "providers/linux/nvidia_gpus.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>

#include "providers/linux/hwmon_sensors.h"
#include "temp_tree.h"

namespace tempyra {
namespace {

using testing::TempTree;
const std::string kFixtures = TEMPYRA_FIXTURES;
const std::string kFake = std::string(TEMPYRA_FAKE_NVML_DIR) + "/full/libnvidia-ml.so.1";
const std::string kBus = "0000:01:00.0";

// The stand-in library's script for one test, and the calls it logged.
struct Script {
  TempTree dir;
  std::string log = (dir.root() / "calls").string();
  explicit Script(std::vector<std::pair<std::string, std::string>> values = {}) {
    for (const char* key : {"INIT", "COUNT", "HANDLE", "TEMP", "SLOWDOWN", "SHUTDOWN", "POWER", "LIMIT", "FANS", "FAN",
                            "REASONS", "NAME", "BUS"})
      ::unsetenv(("TEMPYRA_FAKE_NVML_" + std::string(key)).c_str());
    ::setenv("TEMPYRA_FAKE_NVML_LOG", log.c_str(), 1);
    for (const auto& [key, value] : values) ::setenv(("TEMPYRA_FAKE_NVML_" + key).c_str(), value.c_str(), 1);
  }
  ~Script() { ::unsetenv("TEMPYRA_FAKE_NVML_LOG"); }
  std::vector<std::string> calls() const {
    std::vector<std::string> lines;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  long count(const std::string& call) const {
    const auto lines = calls();
    return std::count(lines.begin(), lines.end(), call);
  }
  // Every init met by a shutdown, and no handle used after the library was shut down.
  bool balanced() const {
    const auto lines = calls();
    return count("nvmlInit_v2") == count("nvmlShutdown") &&
           std::none_of(lines.begin(), lines.end(), [](const std::string& l) { return l.find("STALE") != l.npos; });
  }
};

const Metric* find(const std::vector<Metric>& metrics, const std::string& name) {
  const auto it = std::find_if(metrics.begin(), metrics.end(), [&](const Metric& m) { return m.name == name; });
  return it == metrics.end() ? nullptr : &*it;
}

std::string shown(const Metric* m) {
  if (!m) return "(none)";
  return (m->value ? std::to_string(static_cast<int>(*m->value)) : std::string("-")) + " " + m->source;
}

// A copy of the active laptop with the GPU's power words replaced.
void withPower(const TempTree& tree, const std::function<void(const TempTree&, const std::string&)>& status,
               const std::string& control = "auto\n") {
  tree.copy(kFixtures + "/nvidia_laptop_active");
  const std::string dir = "sys/devices/pci0000:00/0000:00:01.0/" + kBus + "/power/";
  std::filesystem::remove(tree.root() / (dir + "runtime_status"));
  status(tree, dir + "runtime_status");
  tree.write(dir + "control", control);
}

TEST(NvidiaGpus, AnAwakeGpuIsReadAndReleasedWithinEachSample) {
  Script script;
  NvidiaGpus gpus(kFixtures + "/nvidia_laptop_active", kFake);
  for (int i = 0; i < 2; ++i) {
    const auto sample = gpus.sample(5);
    EXPECT_EQ(shown(find(sample.sensors, "Sensor nvidia " + kBus)),
              "52 NVML / nvidia 0000:01:00.0 · GPU core (NVIDIA GeForce RTX 3060 Laptop GPU) · slowdown 87 °C · shutdown 92 °C");
    EXPECT_EQ(shown(find(sample.sensors, "Sensor nvidia " + kBus + " board power")), "11 NVML / nvidia 0000:01:00.0 · board power · driver-reported");
    EXPECT_EQ(shown(find(sample.sensors, "Sensor nvidia " + kBus + " fan 1")),
              "34 NVML / nvidia 0000:01:00.0 · fan 1 · percent of its maximum speed, not RPM");
    EXPECT_TRUE(script.balanced());
  }
  EXPECT_EQ(script.count("nvmlInit_v2"), 2);
  EXPECT_EQ(script.count("nvmlDeviceGetHandleByPciBusId_v2 " + kBus), 2);
  EXPECT_EQ(gpus.status(), "nvidia 0000:01:00.0 through NVML, released after each sample");
  EXPECT_TRUE(gpus.lastCallSeconds());
}

TEST(NvidiaGpus, NoCallAtAllUnlessTheGpuIsAwake) {
  struct Case {
    const char* what;
    std::function<void(const TempTree&, const std::string&)> status;
    std::string why;
  } cases[] = {
      {"suspended", [](auto& t, auto& f) { t.write(f, "suspended\n"); }, "GPU asleep (runtime_status suspended); not woken to read it"},
      {"resuming", [](auto& t, auto& f) { t.write(f, "resuming\n"); }, "runtime_status resuming; not read this sample"},
      {"fifo", [](auto& t, auto& f) { t.fifo(f); }, "runtime_status not a regular file; not read this sample"},
  };
  for (const auto& c : cases) {
    Script script;
    TempTree tree;
    withPower(tree, c.status);
    NvidiaGpus gpus(tree.root(), kFake);
    const auto sample = gpus.sample(5);
    EXPECT_EQ(shown(find(sample.sensors, "Sensor nvidia " + kBus)), "- NVML / nvidia 0000:01:00.0 · " + c.why) << c.what;
    EXPECT_TRUE(script.calls().empty()) << c.what;
    EXPECT_FALSE(gpus.lastCallSeconds()) << c.what;
  }
  Script script;
  NvidiaGpus asleep(kFixtures + "/nvidia_laptop_asleep", kFake);
  EXPECT_EQ(asleep.sample(5).why, "GPU asleep · nvidia 0000:01:00.0 not woken to read it");
  EXPECT_EQ(asleep.status(), "nvidia 0000:01:00.0 asleep; not woken to read it");
  EXPECT_TRUE(script.calls().empty());
}

// Runtime PM off (a desktop): the library stays initialised until control says otherwise.
TEST(NvidiaGpus, KeptInitialisedOnlyWhileRuntimePmIsOff) {
  Script script;
  {
    NvidiaGpus gpus(kFixtures + "/nvidia_desktop", kFake);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(find(gpus.sample(5).sensors, "Sensor nvidia " + kBus)->value);
    EXPECT_EQ(script.count("nvmlInit_v2"), 1);
    EXPECT_EQ(script.count("nvmlShutdown"), 0);
    EXPECT_EQ(gpus.status(), "nvidia 0000:01:00.0 through NVML");
  }
  EXPECT_TRUE(script.balanced());  // shut down with the reader

  TempTree tree;
  withPower(tree, [](auto& t, auto& f) { t.write(f, "active\n"); }, "on\n");
  NvidiaGpus gpus(tree.root(), kFake);
  gpus.sample(5);
  tree.write("sys/devices/pci0000:00/0000:00:01.0/" + kBus + "/power/control", "auto\n");
  gpus.sample(6);
  EXPECT_TRUE(script.balanced());
}

TEST(NvidiaGpus, EachFailureLeavesItsValueAbsentWithTheReason) {
  const std::string core = "Sensor nvidia " + kBus;
  struct Case {
    std::vector<std::pair<std::string, std::string>> script;
    std::string metric;  // "" for the core temperature
    std::string expected;
  } cases[] = {
      {{{"INIT", "!9"}}, "", "- NVML / nvidia 0000:01:00.0 · nvmlInit_v2 failed: NVIDIA driver not loaded"},
      {{{"HANDLE", "!15"}}, "", "- NVML / nvidia 0000:01:00.0 · no handle for 0000:01:00.0: GPU is lost"},
      {{{"BUS", "0000:02:00.0"}}, "", "- NVML / nvidia 0000:01:00.0 · no handle for 0000:01:00.0: not found"},
      {{{"TEMP", "!3"}}, "", "- NVML / nvidia 0000:01:00.0 · temperature not supported by this GPU"},
      {{{"TEMP", "255"}}, "", "- NVML / nvidia 0000:01:00.0 · temperature reads 255 °C, not a reading"},
      {{{"COUNT", "1000"}}, "", "- NVML / nvidia 0000:01:00.0 · NVML reports 1000 GPUs; its answers are not trusted"},
      {{{"NAME", "UNTERMINATED"}, {"SLOWDOWN", "!3"}, {"SHUTDOWN", "4000000000"}}, "", "52 NVML / nvidia 0000:01:00.0 · GPU core"},
      {{{"REASONS", "96"}}, "", "52 NVML / nvidia 0000:01:00.0 · GPU core (NVIDIA GeForce RTX 3060 Laptop GPU) · slowdown 87 °C · "
                                "shutdown 92 °C · clocks slowed by software thermal slowdown, hardware thermal slowdown"},
      {{{"POWER", "593000"}, {"LIMIT", "!3"}}, " board power", "- NVML / nvidia 0000:01:00.0 · board power · reads 593 W, not plausible"},
      {{{"POWER", "593000"}}, " board power", "- NVML / nvidia 0000:01:00.0 · board power · reads 593 W, not plausible"},
      {{{"POWER", "!3"}}, " board power", "- NVML / nvidia 0000:01:00.0 · board power · not supported by this GPU"},
      {{{"FANS", "!3"}}, " fan", "- NVML / nvidia 0000:01:00.0 · fan speed not supported by this GPU"},
      {{{"FANS", "1000"}}, " fan", "- NVML / nvidia 0000:01:00.0 · reports 1000 fans; not trusted"},
      {{{"FAN", "4000"}}, " fan 1", "- NVML / nvidia 0000:01:00.0 · fan 1 · reads 4000 %, out of range"},
  };
  for (const auto& c : cases) {
    Script script(c.script);
    NvidiaGpus gpus(kFixtures + "/nvidia_laptop_active", kFake, [](const std::string&) {});
    const auto sample = gpus.sample(5);
    EXPECT_EQ(shown(find(sample.sensors, core + c.metric)), c.expected) << c.script[0].first;
    EXPECT_TRUE(script.balanced()) << c.script[0].first;
  }
}

TEST(NvidiaGpus, AMissingOrIncompleteLibraryIsNotAvailableWithOneLogLine) {
  const std::string dir = TEMPYRA_FAKE_NVML_DIR;
  const std::pair<std::string, std::string> cases[] = {
      {dir + "/none/libnvidia-ml.so.1", "libnvidia-ml.so.1 not found ("},
      {dir + "/half/libnvidia-ml.so.1", "libnvidia-ml.so.1 lacks nvmlDeviceGetHandleByPciBusId_v2, nvmlDeviceGetTemperature"},
  };
  for (const auto& [path, why] : cases) {
    Script script;
    std::vector<std::string> log;
    NvidiaGpus gpus(kFixtures + "/nvidia_laptop_active", path, [&](const std::string& line) { log.push_back(line); });
    for (int i = 0; i < 3; ++i) gpus.sample(5);
    const auto sample = gpus.sample(6);
    EXPECT_EQ(sample.why.rfind("nvidia 0000:01:00.0 not available · " + why, 0), 0u) << sample.why;
    EXPECT_EQ(log.size(), 1u) << path;
    EXPECT_TRUE(script.calls().empty());
  }
  // An older library: the temperature, no power or fans, clock reasons under their former name.
  Script script(std::vector<std::pair<std::string, std::string>>{{"REASONS", "32"}});
  NvidiaGpus old(kFixtures + "/nvidia_laptop_active", dir + "/old/libnvidia-ml.so.1");
  const auto sample = old.sample(5);
  EXPECT_EQ(shown(find(sample.sensors, "Sensor nvidia " + kBus)),
            "52 NVML / nvidia 0000:01:00.0 · GPU core · clocks slowed by software thermal slowdown");
  EXPECT_EQ(shown(find(sample.sensors, "Sensor nvidia " + kBus + " board power")),
            "- NVML / nvidia 0000:01:00.0 · board power · not offered by this NVML");
  EXPECT_TRUE(script.balanced());
}

// Through the hwmon reader: NVML stands for the GPU where no hwmon driver does, and the status
// says where the GPU's value comes from or why it is absent.
TEST(NvidiaGpus, GpuGroupAndStatusBesideTheIntelIgpu) {
  const std::pair<std::string, std::string> cases[] = {
      {"nvidia_laptop_active", "52 NVML · nvidia 0000:01:00.0 · slowdown 87 °C · shutdown 92 °C"},
      {"nvidia_laptop_asleep", "- GPU asleep · nvidia 0000:01:00.0 not woken to read it"},
  };
  for (const auto& [tree, gpu] : cases) {
    Script script;
    const std::string root = kFixtures + "/" + tree;
    HwmonSensors sensors(root, nullptr, SysRoot::Resolution::automatic, std::make_unique<NvidiaGpus>(root, kFake));
    const auto metrics = sensors.sample(5);
    EXPECT_EQ(shown(&metrics[1]), gpu);
    EXPECT_EQ(sensors.status().rfind("hwmon · read-only · kernel driver sensors · nvidia 0000:01:00.0 ", 0), 0u);
  }
}

}  // namespace
}  // namespace tempyra
