#include "providers/linux/nvidia_gpus.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>

#include "providers/linux/sys_text.h"

namespace tempyra {
namespace {

// Plausible values, exclusive: a core temperature of 0 °C or 150 °C and above is no reading.
constexpr unsigned kMaxCelsius = 150;
constexpr unsigned kMaxFans = 16;
constexpr unsigned kMaxFanPercent = 200;  // NVML may report a little above 100 %
constexpr unsigned kMaxDeviceCount = 64;

double steadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string degrees(unsigned celsius) { return std::to_string(celsius) + " °C"; }

// "software thermal slowdown, power brake" for the reasons that mean heat or power.
std::string slowedBy(unsigned long long mask) {
  static const std::pair<std::uint64_t, const char*> reasons[] = {
      {nvml::kSoftwarePowerCap, "software power cap"},
      {nvml::kHardwareSlowdown, "hardware slowdown"},
      {nvml::kSoftwareThermalSlowdown, "software thermal slowdown"},
      {nvml::kHardwareThermalSlowdown, "hardware thermal slowdown"},
      {nvml::kHardwarePowerBrake, "power brake"},
  };
  std::string text;
  for (const auto& [bit, words] : reasons)
    if (mask & bit) text += (text.empty() ? "" : ", ") + std::string(words);
  return text;
}

}  // namespace

NvidiaGpus::NvidiaGpus(const std::filesystem::path& root, std::string library, Log log,
                       SysRoot::Resolution resolution)
    : root_(root, resolution), libraryPath_(std::move(library)), log_(std::move(log)) {
  if (!log_) log_ = [](const std::string& line) { std::cerr << "tempyra: " << line << '\n'; };
  const std::string base = "sys/bus/pci/devices";
  for (const auto& entry : root_.list(base)) {
    if (!pciAddress(entry)) continue;
    const std::string dir = base + "/" + entry;
    // Display controllers (0x0300xx) and 3D controllers (0x0302xx, most laptop GPUs) of NVIDIA
    // on NVIDIA's driver; nouveau registers hwmon and is read there.
    const auto vendor = root_.attribute(dir + "/vendor").ok();
    const auto cls = root_.attribute(dir + "/class").ok();
    if (!vendor || !cls || (*vendor != "0x10de" && *vendor != "0x10DE") || cls->size() != 8 ||
        cls->compare(0, 4, "0x03") != 0)
      continue;
    if (root_.linkBase(dir + "/driver") != "nvidia") continue;
    gpus_.push_back(Gpu{entry, dir, "nvidia " + entry, {}});
    if (gpus_.size() == kMaxGpus) break;
  }
}

NvidiaGpus::~NvidiaGpus() {
  if (initialised_) shutdown();
}

std::optional<double> NvidiaGpus::loadSeconds() const {
  if (!library_) return std::nullopt;
  return library_->loadSeconds();
}

std::vector<std::pair<std::string, std::string>> NvidiaGpus::devices() const {
  std::vector<std::pair<std::string, std::string>> out;
  for (const auto& gpu : gpus_) out.emplace_back(gpu.bus, gpu.dir);
  return out;
}

std::vector<std::pair<std::string, DevicePower>> NvidiaGpus::lastPower() const {
  std::vector<std::pair<std::string, DevicePower>> out;
  for (const auto& gpu : gpus_) out.emplace_back(gpu.bus, gpu.power);
  return out;
}

void NvidiaGpus::shutdown() {
  library_->shutdown();
  initialised_ = false;
}

void NvidiaGpus::unread(const Gpu& gpu, double at, const std::string& why, Sample& out) const {
  out.sensors.emplace_back(MetricKind::sensor, "Sensor " + gpu.name, std::nullopt, "°C", "NVML / " + gpu.name + " · " + why, at,
                           kNotAvailable);
}

NvidiaGpus::Sample NvidiaGpus::sample(double at) {
  Sample out;
  lastCallSeconds_.reset();
  if (gpus_.empty()) return out;

  // The power state of every NVIDIA function first: no library call unless all are awake
  // (looking up one GPU's handle can bring up the others).
  bool allAwake = true, allKeptOn = true;
  for (auto& gpu : gpus_) {
    gpu.power = devicePower(root_, gpu.dir);
    allAwake = allAwake && gpu.power.readable();
    allKeptOn = allKeptOn && gpu.power.keptOn;
  }

  std::string problem;  // why no GPU could be read at all, for the log
  std::vector<std::string> clauses;
  if (!allAwake) {
    // Only reachable after power/control changed from "on": the open library would keep the
    // GPU from suspending.
    if (initialised_) shutdown();
    std::string sleeper;
    for (const auto& gpu : gpus_) {
      if (gpu.power.state == DevicePower::State::asleep) {
        unread(gpu, at, "GPU asleep (" + gpu.power.why + "); not woken to read it", out);
        clauses.push_back(gpu.name + " asleep; not woken to read it");
        if (out.why.empty()) out.why = "GPU asleep · " + gpu.name + " not woken to read it";
        if (sleeper.empty()) sleeper = gpu.name;
      } else if (!gpu.power.readable()) {
        unread(gpu, at, gpu.power.why + "; not read this sample", out);
        clauses.push_back(gpu.name + " not read · " + gpu.power.why);
        if (out.why.empty()) out.why = gpu.name + " not read · " + gpu.power.why;
      }
    }
    for (const auto& gpu : gpus_) {
      if (!gpu.power.readable()) continue;
      const std::string other = sleeper.empty() ? "another NVIDIA GPU is not awake" : sleeper + " sleeps";
      unread(gpu, at, "not read while " + other + " (NVML could wake it)", out);
      clauses.push_back(gpu.name + " not read while " + other);
    }
  } else {
    if (!library_) library_ = std::make_unique<NvmlLibrary>(libraryPath_);
    if (!library_->usable()) {
      problem = library_->problem();
    } else {
      const double start = steadySeconds();
      if (!initialised_) {
        const nvml::Return rc = library_->init();
        if (rc == nvml::kSuccess) initialised_ = true;
        else problem = "nvmlInit_v2 failed: " + NvmlLibrary::errorText(rc);
      }
      if (initialised_) {
        unsigned count = 0;
        if (library_->count && library_->count(&count) == nvml::kSuccess && (count == 0 || count > kMaxDeviceCount))
          problem = "NVML reports " + std::to_string(count) + " GPUs; its answers are not trusted";
        if (problem.empty()) {
          for (const auto& gpu : gpus_) {
            const std::string why = read(gpu, at, out);
            if (why.empty())
              clauses.push_back(gpu.name + " through NVML" + (allKeptOn ? "" : ", released after each sample"));
            else
              clauses.push_back(gpu.name + " not available · " + why);
          }
        }
        // Where runtime PM may suspend a GPU, nothing stays open between samples.
        if (!allKeptOn || !problem.empty()) shutdown();
      }
      lastCallSeconds_ = steadySeconds() - start;
    }
    if (!problem.empty()) {
      for (const auto& gpu : gpus_) {
        unread(gpu, at, problem, out);
        clauses.push_back(gpu.name + " not available · " + problem);
      }
    }
  }
  if (!out.temperatures.empty()) out.why.clear();
  else if (out.why.empty() && !clauses.empty()) out.why = clauses.front();

  status_.clear();
  for (const auto& clause : clauses) status_ += (status_.empty() ? "" : " · ") + clause;
  // Sleeping is the normal state of a laptop GPU; only a change of what keeps the GPUs from
  // being read at all is worth a line.
  if (allAwake && problem != logged_) {
    log_(problem.empty() ? "NVIDIA GPUs read through NVML again" : "NVIDIA GPUs not read: " + problem);
    logged_ = problem;
  }
  return out;
}

std::string NvidiaGpus::read(const Gpu& gpu, double at, Sample& out) {
  const NvmlLibrary& lib = *library_;
  const std::string origin = "NVML / " + gpu.name;
  nvml::Device device = nullptr;
  if (const nvml::Return rc = lib.handleByBusId(gpu.bus.c_str(), &device); rc != nvml::kSuccess || !device) {
    const std::string why = "no handle for " + gpu.bus + ": " + (rc ? NvmlLibrary::errorText(rc) : "null handle");
    unread(gpu, at, why, out);
    return why;
  }

  std::string model;
  if (lib.name) {
    char name[nvml::kNameBufferSize + 1] = {};
    // A name without its terminator within the buffer is not a name.
    if (lib.name(device, name, nvml::kNameBufferSize) == nvml::kSuccess &&
        std::memchr(name, 0, nvml::kNameBufferSize) != nullptr)
      model = cleanText(name);
  }
  std::string detail;
  if (lib.threshold) {
    for (const auto& [kind, words] : {std::pair{nvml::kThresholdSlowdown, "slowdown "},
                                      std::pair{nvml::kThresholdShutdown, "shutdown "}}) {
      unsigned celsius = 0;
      if (lib.threshold(device, kind, &celsius) == nvml::kSuccess && celsius > 0 && celsius < 200)
        detail += (detail.empty() ? "" : " · ") + std::string(words) + degrees(celsius);
    }
  }
  if (lib.clockReasons) {
    unsigned long long mask = 0;
    if (lib.clockReasons(device, &mask) == nvml::kSuccess) {
      const std::string slowed = slowedBy(mask);
      if (!slowed.empty()) detail += (detail.empty() ? "" : " · ") + std::string("clocks slowed by ") + slowed;
    }
  }

  std::string source = origin + " · GPU core" + (model.empty() ? "" : " (" + model + ")");
  unsigned celsius = 0;
  std::string why;
  if (const nvml::Return rc = lib.temperature(device, nvml::kTemperatureGpu, &celsius); rc != nvml::kSuccess) {
    why = "temperature " + NvmlLibrary::errorText(rc);
    unread(gpu, at, why, out);
  } else if (celsius == 0 || celsius >= kMaxCelsius) {
    why = "temperature reads " + degrees(celsius) + ", not a reading";
    unread(gpu, at, why, out);
  } else {
    out.sensors.emplace_back(MetricKind::sensor, "Sensor " + gpu.name, celsius, "°C", source + (detail.empty() ? "" : " · " + detail),
                             at, "Measured");
    out.temperatures.push_back({gpu.name, detail, static_cast<double>(celsius)});
  }

  const std::string powerName = "Sensor " + gpu.name + " board power";
  std::optional<double> watts;
  std::string powerSource = origin + " · board power · ";
  unsigned milliwatts = 0;
  if (!lib.power) {
    powerSource += "not offered by this NVML";
  } else if (const nvml::Return rc = lib.power(device, &milliwatts); rc != nvml::kSuccess) {
    powerSource += NvmlLibrary::errorText(rc);
  } else {
    double bound = kMaxWatts;
    unsigned limit = 0;
    if (lib.powerLimit && lib.powerLimit(device, &limit) == nvml::kSuccess && limit > 0 && limit <= 2'000'000)
      bound = 1.25 * limit / 1000.0;
    const double value = milliwatts / 1000.0;
    if (milliwatts == 0 || value > bound) {
      powerSource += "reads " + std::to_string(static_cast<long long>(value + 0.5)) + " W, not plausible";
    } else {
      watts = value;
      powerSource += "driver-reported";
    }
  }
  out.sensors.emplace_back(MetricKind::sensor, powerName, watts, "W", powerSource, at, "Measured");

  const std::string fanName = "Sensor " + gpu.name + " fan";
  unsigned fans = 0;
  if (!lib.fanCount || !lib.fanSpeed) {
    out.sensors.emplace_back(MetricKind::sensor, fanName, std::nullopt, "%", origin + " · fan speed not offered by this NVML", at,
                             kNotAvailable);
  } else if (const nvml::Return rc = lib.fanCount(device, &fans); rc != nvml::kSuccess) {
    out.sensors.emplace_back(MetricKind::sensor, fanName, std::nullopt, "%", origin + " · fan speed " + NvmlLibrary::errorText(rc), at,
                             kNotAvailable);
  } else if (fans > kMaxFans) {
    out.sensors.emplace_back(MetricKind::sensor, fanName, std::nullopt, "%",
                             origin + " · reports " + std::to_string(fans) + " fans; not trusted", at, kNotAvailable);
  } else {
    for (unsigned fan = 0; fan < fans; ++fan) {
      const std::string name = numbered(fanName + " ", fan + 1);
      const std::string fanSource = origin + " · " + numbered("fan ", fan + 1);
      unsigned percent = 0;
      if (const nvml::Return rc = lib.fanSpeed(device, fan, &percent); rc != nvml::kSuccess)
        out.sensors.emplace_back(MetricKind::sensor, name, std::nullopt, "%", fanSource + " · " + NvmlLibrary::errorText(rc), at,
                                 kNotAvailable);
      else if (percent > kMaxFanPercent)
        out.sensors.emplace_back(MetricKind::sensor, name, std::nullopt, "%", fanSource + " · reads " + std::to_string(percent) + " %, out of range",
                                 at, kNotAvailable);
      else
        out.sensors.emplace_back(MetricKind::sensor, name, percent, "%", fanSource + " · percent of its maximum speed, not RPM", at,
                                 "Measured");
    }
  }
  return why;
}

}  // namespace tempyra
