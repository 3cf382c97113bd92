#include "providers/system_provider.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "core/utf8_text.h"

namespace tempyra {
namespace {

constexpr const char* kChecking = "Checking hardware capabilities on first sample";
constexpr const char* kFansNotVerified = "Fan arrangement not verified";
// More ids than this is not a process list but garbage.
constexpr std::size_t kMaxProcessIds = 99999 + 64;

}  // namespace

SystemProvider::SystemProvider(std::unique_ptr<Platform> platform, HardwareFactory makeHardware)
    : platform_(std::move(platform)), makeHardware_(std::move(makeHardware)) {
  const PlatformWords& w = platform_->words();
  profile_.model = platform_->modelText().value_or(kNotAvailable);
  profile_.architecture = platform_->architectureText();
  profile_.os = platform_->osText();
  profile_.fans = kFansNotVerified;
  profile_.capabilities = {
      {"Thermal pressure", w.thermalCapability},
      {"CPU load", w.cpuLoadCapability},
      {"CPU/GPU temperature", kChecking},
      {"Fan RPM", kChecking},
      {"Battery temperature", kChecking},
      {"Power consumption", "Not available · no validated wattage adapter"},
      {"Power source / charge", w.powerCapability},
      {"Intel CPU limits", w.cpuLimitsCapability},
      {"Process activity", w.processCapability},
  };
}

void SystemProvider::reset() {
  previousTicks_.reset();
  processTimes_.clear();
}

Reading SystemProvider::sample(double at, const std::string& segment, bool includeProcesses) {
  const int level = platform_->thermalLevel();
  profile_.capabilities["Thermal pressure"] = platform_->words().thermalCapability;

  if (!hardware_) {
    if (makeHardware_) hardware_ = makeHardware_();
  }
  std::vector<Metric> sensors;
  if (hardware_) {
    sensors = hardware_->sample(at);
    profile_.capabilities["CPU/GPU temperature"] = hardware_->status();
    profile_.capabilities["Fan RPM"] = hardware_->status();
    profile_.capabilities["Battery temperature"] = hardware_->batteryStatus();
  }

  int fansWithValue = 0;
  const Metric* firstFan = nullptr;
  for (const auto& m : sensors) {
    if (m.kind != MetricKind::fan) continue;
    if (!firstFan) firstFan = &m;
    if (m.value) ++fansWithValue;
  }
  if (fansWithValue > 0 && hardware_)
    profile_.fans = hardware_->fanSummary(fansWithValue);
  else if (firstFan)
    profile_.fans = firstFan->source;
  else
    profile_.fans = kFansNotVerified;

  if (!includeProcesses) processTimes_.clear();

  const auto status = platform_->cpuPowerStatus();
  profile_.capabilities["Intel CPU limits"] = platform_->words().cpuLimitsCapability;
  if (status) {
    static const struct {
      MetricKind kind;
      const char* name;
      const char* key;
    } limits[] = {
        {MetricKind::cpuSpeedLimit, "CPU speed limit", kCpuSpeedLimitKey},
        {MetricKind::cpuSchedulerLimit, "CPU scheduler limit", kCpuSchedulerLimitKey},
    };
    for (const auto& [kind, name, key] : limits) {
      std::optional<double> value;
      if (const auto it = status->find(key); it != status->end()) {
        if (it->second >= 0 && it->second <= 100) value = it->second;  // false for NaN
      }
      std::string source = platform_->words().cpuLimits + " · OS limit, not measured throttling";
      if (key == kCpuSpeedLimitKey && !platform_->words().cpuSpeedNote.empty())
        source += " · " + platform_->words().cpuSpeedNote;
      sensors.emplace_back(kind, name, value, "%", std::move(source), at, "Measured");
    }
  }

  Reading reading;
  reading.timestamp = at;
  reading.cpu = cpu(at);
  reading.power = power();
  if (includeProcesses) reading.activity = processes(at);
  reading.state = (level >= 0 && level <= 3) ? static_cast<ThermalState>(level) : ThermalState::unknown;
  reading.sensors = std::move(sensors);
  reading.segment = segment;
  return reading;
}

Metric SystemProvider::cpu(double at) {
  const std::string& source = platform_->words().cpuTicks;
  const auto ticks = platform_->cpuTicks();
  const auto load = [&](std::optional<double> value, std::string sourceText, const char* quality) {
    return Metric(MetricKind::cpuLoad, "CPU load", value, "%", std::move(sourceText), at, quality);
  };
  if (!ticks) return load(std::nullopt, source, kNotAvailable);
  if (!previousTicks_) {
    previousTicks_ = ticks;
    return load(std::nullopt, source + " · establishing baseline", kNotAvailable);
  }
  // Summed as doubles: four advances of up to 2^64 ticks each cannot overflow the total.
  double total = 0;
  double idle = 0;
  const std::size_t n = std::min(ticks->size(), previousTicks_->size());
  for (std::size_t i = 0; i < n; ++i) {
    // A counter that went backwards counts as no advance rather than as a huge load.
    const std::uint64_t now = (*ticks)[i];
    const std::uint64_t before = (*previousTicks_)[i];
    const double delta = now >= before ? static_cast<double>(now - before) : 0.0;
    total += delta;
    if (i == 2) idle = delta;
  }
  previousTicks_ = ticks;
  std::optional<double> value;
  if (total > 0) value = (total - idle) * 100.0 / total;
  return load(value, source + " · interval average", "Measured");
}

std::vector<ProcessActivity> SystemProvider::processes(double at) {
  const auto ids = platform_->processIds();
  if (!ids || ids->empty() || ids->size() > kMaxProcessIds) return {};

  std::unordered_map<std::int32_t, ProcessEntry> current;
  current.reserve(ids->size());
  std::vector<ProcessActivity> busy;
  for (const std::int32_t pid : *ids) {
    if (pid <= 0) continue;
    const auto times = platform_->processTimes(pid);
    if (!times) continue;
    current[pid] = ProcessEntry{times->cpuNs, at, times->startStamp};
    const auto it = processTimes_.find(pid);
    if (it == processTimes_.end()) continue;
    const ProcessEntry& before = it->second;
    if (before.startStamp != times->startStamp || times->cpuNs < before.cpuNs ||
        !(at > before.sampledAt))
      continue;
    const double share = (static_cast<double>(times->cpuNs - before.cpuNs) / 1e9) /
                         (at - before.sampledAt) * 100.0;
    if (!(share > kProcessThreshold)) continue;
    const auto name = platform_->processName(pid);
    if (!name || name->empty() || (*name)[0] == '\0') continue;
    busy.push_back(ProcessActivity{pid, validUtf8(std::string_view(name->data(), strnlen(name->data(), name->size()))), share});
  }
  processTimes_ = std::move(current);
  std::stable_sort(busy.begin(), busy.end(),
                   [](const ProcessActivity& a, const ProcessActivity& b) { return a.cpu > b.cpu; });
  if (busy.size() > static_cast<std::size_t>(kMaxProcesses)) busy.resize(kMaxProcesses);
  return busy;
}

PowerContext SystemProvider::power() {
  PowerContext context;
  const auto snapshot = platform_->powerSources();
  if (!snapshot) return context;
  if (snapshot->providing) {
    context.source = *snapshot->providing;
    if (context.source == PowerSource::other) context.otherSource = snapshot->otherSource;
  }
  if (!snapshot->sources) return context;
  for (const auto& source : *snapshot->sources) {
    if (source.type != "InternalBattery") continue;
    if (source.currentCapacity && source.maxCapacity && *source.maxCapacity > 0) {
      double percent = *source.currentCapacity * 100.0 / *source.maxCapacity;
      if (std::isnan(percent)) percent = 0;
      context.battery = std::clamp(percent, 0.0, 100.0);
    }
    context.charging = source.isCharging;
    break;
  }
  return context;
}

}  // namespace tempyra
