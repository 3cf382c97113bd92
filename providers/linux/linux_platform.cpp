#include "providers/linux/linux_platform.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <set>
#include <utility>

#include "core/metric.h"
#include "providers/linux/proc_stat.h"
#include "providers/linux/sys_parsers.h"
#include "providers/linux/sys_text.h"

namespace tempyra {
namespace {

const std::string kCpu = "sys/devices/system/cpu/";
const std::string kNoLimits = "Not available · no cpufreq policy or idle-injection device in /sys";

// The statuses the kernel writes for a battery; anything else is garbage, not "not charging".
bool knownBatteryStatus(const std::string& status) {
  return status == "Unknown" || status == "Charging" || status == "Discharging" ||
         status == "Not charging" || status == "Full";
}

// More than 10 kWh (or 10,000 Ah) is no battery of a computer but garbage.
constexpr std::int64_t kMaxBatteryCounter = 10'000'000'000;

struct Supply {
  const SysRoot* root;
  std::string dir;
  std::map<std::string, std::string> props;

  std::optional<std::string> get(const std::string& key) const {
    if (const auto it = props.find(key); it != props.end()) return it->second;
    std::string file = key;
    for (char& c : file) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return root->attribute(dir + "/" + file).ok();
  }
  std::optional<std::int64_t> number(const std::string& key) const {
    const auto text = get(key);
    return text ? parseInteger(*text) : std::nullopt;
  }
  // Stored energy (or charge) now and when full, when both are plausible. A battery may report
  // slightly more than full after a calibration; far more is garbage.
  std::optional<std::pair<double, double>> counters(const char* now, const char* full) const {
    const auto n = number(now), f = number(full);
    if (!n || !f || *n < 0 || *f <= 0 || *f > kMaxBatteryCounter ||
        static_cast<double>(*n) > 1.1 * static_cast<double>(*f))
      return std::nullopt;
    return std::pair{static_cast<double>(*n), static_cast<double>(*f)};
  }
  std::optional<double> capacity() const {
    const auto c = number("CAPACITY");
    if (!c || *c < 0 || *c > 100) return std::nullopt;
    return static_cast<double>(*c);
  }
};

double steadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string megahertz(std::int64_t kHz) { return std::to_string((kHz + 500) / 1000) + " MHz"; }

// A frequency in kHz that some CPU could run at (up to 100 GHz).
std::optional<std::int64_t> frequency(std::optional<std::int64_t> kHz) {
  if (!kHz || *kHz <= 0 || *kHz > 100'000'000) return std::nullopt;
  return kHz;
}

}  // namespace

LinuxPlatform::LinuxPlatform(const std::filesystem::path& root, std::shared_ptr<ThermalZones> thermal,
                             SysRoot::Resolution resolution)
    : root_(root, resolution), thermal_(std::move(thermal)) {
  hostRoot_ = std::filesystem::path(root_.rootText()).lexically_normal() == "/";
  if (!thermal_) thermal_ = std::make_shared<ThermalZones>(root, resolution);
  const long ticks = ::sysconf(_SC_CLK_TCK);
  if (ticks > 0) {
    const auto hz = static_cast<std::uint64_t>(ticks);
    const std::uint64_t g = std::gcd(std::uint64_t{1'000'000'000}, hz);
    nsPerTickNum_ = 1'000'000'000 / g;
    nsPerTickDen_ = hz / g;
  }
  words_.thermalCapability = thermal_->evaluate(steadySeconds()).capability;
  words_.cpuTicks = "/proc/stat";
  words_.cpuLoadCapability = root_.text("proc/stat", 4096).ok() ? "Available · /proc/stat"
                                                            : "Not available · /proc/stat is not readable";
  const std::string supplies = "sys/class/power_supply";
  std::vector<std::string> peripherals;
  const auto names = root_.list(supplies);
  for (const auto& name : names) {
    Supply supply{&root_, supplies + "/" + name, {}};
    if (const auto uevent = root_.text(supply.dir + "/uevent", 16384).ok()) supply.props = parseUevent(*uevent);
    if (supply.get("SCOPE") == "Device") peripherals.push_back(cleanText(name));
  }
  if (!root_.isDirectory(supplies)) {
    words_.powerCapability = "Not available · the kernel exposes no /sys/class/power_supply";
  } else if (names.empty()) {
    words_.powerCapability = "Not available · the kernel lists no power supply";
  } else if (peripherals.size() == names.size()) {
    std::string list;
    for (const auto& p : peripherals) list += (list.empty() ? "" : ", ") + p;
    words_.powerCapability = "Not available · the kernel lists only peripheral batteries (" + list + ")";
  } else {
    words_.powerCapability = "/sys/class/power_supply · subject to hardware availability";
  }
  words_.cpuLimits = "cpufreq policy";
  cpuPowerStatus();  // settles the limits' capability text
  atMinimumSamples_ = 0;
  words_.processCapability = "Best effort · /proc/[pid]/stat; hidden processes omitted";
}

int LinuxPlatform::thermalLevel() {
  const ThermalSnapshot& snapshot = thermal_->evaluate(steadySeconds());
  words_.thermalCapability = snapshot.capability;
  return snapshot.level;
}

std::string LinuxPlatform::osText() {
  std::optional<std::string> text = root_.text("etc/os-release").ok();
  if (!text) text = root_.text("usr/lib/os-release").ok();
  std::string pretty = "Linux";
  if (text) {
    std::size_t start = 0;
    while (start < text->size()) {
      auto end = text->find('\n', start);
      if (end == std::string::npos) end = text->size();
      const std::string_view line = std::string_view(*text).substr(start, end - start);
      if (line.substr(0, 12) == "PRETTY_NAME=") {
        const std::string value = cleanText(osReleaseValue(line.substr(12)));
        if (!value.empty()) pretty = value;
      }
      start = end + 1;
    }
  }
  const std::string release = cleanText(root_.attribute("proc/sys/kernel/osrelease").ok().value_or(""));
  if (release.empty()) return pretty;
  return pretty + " (kernel " + release + ")";
}

std::optional<std::string> LinuxPlatform::modelText() {
  auto field = [&](const char* name) {
    return cleanText(root_.attribute(std::string("sys/class/dmi/id/") + name).ok().value_or(""));
  };
  const DmiNames dmi{field("sys_vendor"), field("product_name"), field("product_version"),
                     field("board_vendor"), field("board_name")};
  if (auto model = modelName(dmi)) return model;
  if (auto model = root_.text("proc/device-tree/model", 4096).ok()) {
    model->resize(strnlen(model->data(), model->size()));  // NUL-terminated
    std::string text = cleanText(*model);
    if (!text.empty()) return text;
  }
  return std::nullopt;
}

std::string LinuxPlatform::architectureText() {
  std::optional<std::string> machine = root_.attribute("proc/sys/kernel/arch").ok();
  if ((!machine || machine->empty()) && hostRoot_) {
    utsname names{};
    if (::uname(&names) == 0) machine = names.machine;
  }
  if (machine) machine = cleanText(*machine);
  if (!machine || machine->empty()) return kNotAvailable;
  if (*machine == "x86_64" || *machine == "i686" || *machine == "i386") {
    std::string vendor;
    if (const auto cpuinfo = root_.text("proc/cpuinfo", 1 << 16).ok()) {
      const auto at = cpuinfo->find("vendor_id");
      if (at != std::string::npos) {
        const auto colon = cpuinfo->find(':', at);
        const auto end = cpuinfo->find('\n', at);
        if (colon != std::string::npos && colon < end)
          vendor = std::string(trim(std::string_view(*cpuinfo).substr(colon + 1, end - colon - 1)));
      }
    }
    // An x86-64 build is "Intel" only when the processor is.
    if (vendor == "GenuineIntel") return "Intel";
    if (vendor == "AuthenticAMD") return "AMD x86-64";
    return *machine == "x86_64" ? "x86-64" : "x86";
  }
  if (*machine == "aarch64" || *machine == "arm64") return "ARM64";
  return *machine;
}

std::optional<std::vector<std::uint64_t>> LinuxPlatform::cpuTicks() {
  // The totals are the first line; the per-CPU and interrupt lines after it can be long.
  const auto text = root_.text("proc/stat", 4096).ok();
  if (!text) return std::nullopt;
  const auto ticks = parseHostTicks(*text);
  if (!ticks) return std::nullopt;
  if (lastTicks_) {
    std::uint64_t total = 0, busy = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      const std::uint64_t delta = (*ticks)[i] >= (*lastTicks_)[i] ? (*ticks)[i] - (*lastTicks_)[i] : 0;
      total += delta;
      if (i != 2) busy += delta;
    }
    if (total > 0) busyShare_ = static_cast<double>(busy) / static_cast<double>(total);
  }
  lastTicks_ = *ticks;
  return std::vector<std::uint64_t>(ticks->begin(), ticks->end());
}

std::optional<std::vector<std::int32_t>> LinuxPlatform::processIds() {
  if (!root_.isDirectory("proc")) return std::nullopt;
  // A new scan: the previous one's figures become the baseline, and the machine's busy time
  // since then (from the tick reading just taken) bounds the children's credit.
  childWork_ = std::move(nextChildWork_);
  nextChildWork_.clear();
  nextChildWork_.reserve(childWork_.size() + 64);
  std::optional<std::uint64_t> busy;
  if (lastTicks_) busy = (*lastTicks_)[0] + (*lastTicks_)[1] + (*lastTicks_)[3];
  intervalBusyTicks_ = busy && scanBusyTicks_ && *busy >= *scanBusyTicks_ ? *busy - *scanBusyTicks_ : 0;
  scanBusyTicks_ = busy;
  std::vector<std::int32_t> ids;
  ids.reserve(512);
  for (const auto& name : root_.listUnsorted("proc")) {
    std::int64_t pid = 0;
    bool digits = !name.empty();
    for (const char c : name) {
      if (c < '0' || c > '9' || pid > 0x7FFFFFFF) {
        digits = false;
        break;
      }
      pid = pid * 10 + (c - '0');
    }
    if (digits && pid > 0 && pid <= 0x7FFFFFFF) ids.push_back(static_cast<std::int32_t>(pid));
  }
  return ids;
}

std::optional<ProcessTimes> LinuxPlatform::processTimes(std::int32_t pid) {
  lastPid_ = 0;
  char file[32];
  const int len = std::snprintf(file, sizeof file, "proc/%d/stat", pid);
  if (len <= 0 || static_cast<std::size_t>(len) >= sizeof file) return std::nullopt;
  // One open + read + close: the kernel builds the line atomically per read. A failure
  // (exited, hidden by hidepid) means "skip".
  char buffer[1024];
  const ssize_t n = root_.readOnce(std::string_view(file, static_cast<std::size_t>(len)), buffer, sizeof buffer);
  if (n <= 0) return std::nullopt;
  const auto stat = parseProcPidStat(std::string_view(buffer, static_cast<std::size_t>(n)));
  if (!stat || stat->pid != pid) return std::nullopt;

  const std::uint64_t own = stat->utime + stat->stime;
  const std::uint64_t children = stat->cutime + stat->cstime;
  ChildWork work{stat->startTime, own, children, 0};
  if (const auto it = childWork_.find(pid); it != childWork_.end() && it->second.startStamp == stat->startTime) {
    work.creditTicks = it->second.creditTicks;
    if (children > it->second.childTicks) {
      const std::uint64_t ownDelta = own > it->second.ownTicks ? own - it->second.ownTicks : 0;
      const std::uint64_t room = intervalBusyTicks_ > ownDelta ? intervalBusyTicks_ - ownDelta : 0;
      work.creditTicks += std::min(children - it->second.childTicks, room);
    }
  }
  nextChildWork_[pid] = work;

  const unsigned __int128 ticks = static_cast<unsigned __int128>(own) + work.creditTicks;
  const unsigned __int128 ns = ticks * nsPerTickNum_ / nsPerTickDen_;
  ProcessTimes times;
  times.cpuNs = ns > UINT64_MAX ? UINT64_MAX : static_cast<std::uint64_t>(ns);
  times.startStamp = stat->startTime;

  lastPid_ = pid;
  lastCommSize_ = std::min(stat->comm.size(), sizeof lastComm_);
  std::memcpy(lastComm_, stat->comm.data(), lastCommSize_);
  return times;
}

std::optional<std::string> LinuxPlatform::processName(std::int32_t pid) {
  std::string comm;
  if (pid == lastPid_ && pid != 0) {
    comm.assign(lastComm_, lastCommSize_);
  } else {
    const auto text = root_.text(numbered("proc/", pid, "/stat"), 4096).ok();
    if (!text) return std::nullopt;
    const auto stat = parseProcPidStat(*text);
    if (!stat) return std::nullopt;
    comm.assign(stat->comm);
  }
  if (comm.empty()) return std::nullopt;
  // A process may put line breaks and other control characters in its name; shown in a
  // one-line list they would forge lines.
  for (char& c : comm)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  // The kernel cuts user task names to 15 bytes; the program's own file name is more helpful
  // when it is the same name, uncut.
  if (comm.size() == 15) {
    if (const auto cmdline = root_.text(numbered("proc/", pid, "/cmdline"), 4096).ok()) {
      std::string_view argv0(cmdline->data(), strnlen(cmdline->data(), cmdline->size()));
      if (const auto slash = argv0.rfind('/'); slash != std::string_view::npos) argv0.remove_prefix(slash + 1);
      if (argv0.size() > comm.size() && argv0.substr(0, comm.size()) == comm) comm = argv0;
    }
  }
  return comm;
}

std::optional<PowerSnapshot> LinuxPlatform::powerSources() {
  const std::string base = "sys/class/power_supply";
  if (!root_.isDirectory(base)) return std::nullopt;

  std::vector<Supply> batteries;
  bool externalOnline = false;
  bool externalListed = false;
  for (const auto& name : root_.list(base)) {
    Supply supply{&root_, base + "/" + name, {}};
    if (const auto uevent = root_.text(supply.dir + "/uevent", 16384).ok()) supply.props = parseUevent(*uevent);
    const auto type = supply.get("TYPE");
    if (!type) continue;
    if (supply.get("SCOPE") == "Device") continue;  // a mouse or headset battery
    if (*type == "Battery") {
      if (supply.number("PRESENT") == 0) continue;
      batteries.push_back(std::move(supply));
    } else if (*type == "Mains" || type->rfind("USB", 0) == 0 || *type == "Wireless" || *type == "BrickID") {
      externalListed = true;
      if (supply.number("ONLINE").value_or(0) >= 1) externalOnline = true;
    }
  }

  PowerSnapshot snapshot;
  std::optional<bool> charging;
  bool anyDischarging = false, anyOnExternal = false;
  for (const auto& battery : batteries) {
    const auto status = battery.get("STATUS");
    if (!status || !knownBatteryStatus(*status) || *status == "Unknown") continue;
    if (*status == "Charging") charging = true, anyOnExternal = true;
    else if (*status == "Discharging") anyDischarging = true;
    else anyOnExternal = true;  // Full, Not charging
    if (!charging) charging = false;
  }
  if (externalOnline) {
    snapshot.providing = PowerSource::ac;
  } else if (!batteries.empty()) {
    if (anyDischarging) snapshot.providing = PowerSource::battery;
    else if (anyOnExternal) snapshot.providing = PowerSource::ac;
    else if (externalListed) snapshot.providing = PowerSource::battery;
  }
  // Nothing listed at all (many desktops and virtual machines): the source is not observed, so
  // it is not reported, although such a machine most likely runs on external power.

  snapshot.sources.emplace();
  if (!batteries.empty()) {
    PowerSourceDescription description;
    description.type = "InternalBattery";
    description.isCharging = charging;
    // Several batteries: their stored energy (or charge) summed, never energy mixed with
    // charge; an implausible counter or capacity is left out, not clamped.
    auto sum = [&](const char* now, const char* full) -> bool {
      double n = 0, f = 0;
      for (const auto& battery : batteries) {
        const auto counters = battery.counters(now, full);
        if (!counters) return false;
        n += counters->first;
        f += counters->second;
      }
      description.currentCapacity = n;
      description.maxCapacity = f;
      return true;
    };
    const auto capacity = batteries.size() == 1 ? batteries[0].capacity() : std::nullopt;
    if (capacity) {
      description.currentCapacity = *capacity;
      description.maxCapacity = 100.0;
    } else {
      (void)(sum("ENERGY_NOW", "ENERGY_FULL") || sum("CHARGE_NOW", "CHARGE_FULL"));
    }
    snapshot.sources->push_back(std::move(description));
  }
  return snapshot;
}

LinuxPlatform::SpeedLimit LinuxPlatform::speedLimit() const {
  SpeedLimit result;
  const std::string cpufreq = kCpu + "cpufreq";
  const auto noTurbo = root_.number(kCpu + "intel_pstate/no_turbo").ok();
  const auto boost = root_.number(cpufreq + "/boost").ok();
  const bool turboOff = noTurbo == 1 || boost == 0;

  // Current kernels list cpufreq/policyN (each CPU's cpufreq links to one); older ones and some
  // drivers only have cpuN/cpufreq. Read both, one per policy: CPUs seen once are not read again.
  std::vector<std::pair<std::string, std::optional<int>>> dirs;
  for (const auto& policy : root_.list(cpufreq))
    if (channelNumber(policy, "policy")) dirs.emplace_back(cpufreq + "/" + policy, std::nullopt);
  for (const auto& cpu : root_.list(kCpu))
    if (const auto n = channelNumber(cpu, "cpu"); n && root_.isDirectory(kCpu + cpu + "/cpufreq"))
      dirs.emplace_back(kCpu + cpu + "/cpufreq", *n);

  std::set<int> seen;
  bool allAtMinimum = true;
  for (const auto& [dir, cpu] : dirs) {
    const auto affected = root_.attribute(dir + "/affected_cpus").ok();
    if (affected && trim(*affected).empty()) continue;  // all its CPUs are offline
    if (cpu && root_.number(kCpu + numbered("cpu", *cpu, "/online")).ok() == 0) continue;
    auto cpus = parseCpuList(root_.attribute(dir + "/related_cpus").ok().value_or(""));
    if (!cpus || cpus->empty()) cpus = parseCpuList(affected.value_or(""));
    if ((!cpus || cpus->empty()) && cpu) cpus = std::vector<int>{*cpu};
    if (cpus && !cpus->empty()) {
      if (std::any_of(cpus->begin(), cpus->end(), [&](int c) { return seen.count(c) > 0; })) continue;
      seen.insert(cpus->begin(), cpus->end());
    }
    result.anyPolicy = true;

    const auto maxFreq = frequency(root_.number(dir + "/scaling_max_freq").ok());
    const auto hardwareMax = frequency(root_.number(dir + "/cpuinfo_max_freq").ok());
    // A policy limit above what the hardware can do is garbage, not a 100 % limit.
    if (!maxFreq || !hardwareMax || *maxFreq > *hardwareMax) {
      allAtMinimum = false;
      continue;
    }
    std::int64_t reference = *hardwareMax;
    if (turboOff) {
      if (const auto base = frequency(root_.number(dir + "/base_frequency").ok()); base && *base <= *hardwareMax)
        reference = *base;
    }
    const double percent = std::min(100.0, 100.0 * static_cast<double>(*maxFreq) / static_cast<double>(reference));
    result.percent = result.percent ? std::min(*result.percent, percent) : percent;
    if (const auto firmware = frequency(root_.number(dir + "/bios_limit").ok()); firmware && *firmware < *hardwareMax)
      result.firmwareKHz = result.firmwareKHz ? std::min(result.firmwareKHz, *firmware) : *firmware;

    const auto minimum = frequency(root_.number(dir + "/cpuinfo_min_freq").ok());
    const auto current = frequency(root_.number(dir + "/scaling_cur_freq").ok());
    const bool atMinimum =
        minimum && current && *current * 100 <= *minimum * 102 && *maxFreq * 2 >= *minimum * 3;
    allAtMinimum = allAtMinimum && atMinimum;
    if (atMinimum) {
      result.minimumKHz = std::max(result.minimumKHz, *minimum);
      result.allowedKHz = std::max(result.allowedKHz, *maxFreq);
    }
  }
  if (const auto maxPerf = root_.number(kCpu + "intel_pstate/max_perf_pct").ok();
      maxPerf && *maxPerf > 0 && *maxPerf <= 100 && result.percent)
    result.percent = std::min(*result.percent, static_cast<double>(*maxPerf));
  result.atMinimum = result.percent.has_value() && allAtMinimum;
  return result;
}

std::optional<std::map<std::string, double>> LinuxPlatform::cpuPowerStatus() {
  std::map<std::string, double> status;
  const SpeedLimit speed = speedLimit();
  if (speed.percent) status[kCpuSpeedLimitKey] = *speed.percent;

  // Idle injection is the nearest thing to a scheduler limit: the share of time forced idle.
  const std::string thermal = "sys/class/thermal";
  std::optional<std::int64_t> injected;
  std::size_t devices = 0;
  for (const auto& device : root_.list(thermal)) {
    if (!channelNumber(device, "cooling_device") || ++devices > ThermalTuning::kMaxCoolingDevices) continue;
    const auto type = root_.attribute(thermal + "/" + device + "/type").ok();
    if (!type || (*type != "intel_powerclamp" && type->rfind("idle-", 0) != 0)) continue;
    const auto state = root_.number(thermal + "/" + device + "/cur_state").ok();  // -1: powerclamp idle
    const auto max = root_.number(thermal + "/" + device + "/max_state").ok();
    if (!state || *state > 100 || (max && *state > *max)) continue;  // garbage, not a share
    injected = std::max(injected.value_or(0), std::max<std::int64_t>(*state, 0));
  }
  if (injected) status[kCpuSchedulerLimitKey] = 100.0 - static_cast<double>(*injected);

  // At the minimum frequency while the policy allows far more, sample after sample, and not
  // because the CPU is idle: something below the policy holds it down (firmware, a stuck
  // driver, a PROCHOT line).
  atMinimumSamples_ = speed.atMinimum ? atMinimumSamples_ + 1 : 0;
  const bool idle = busyShare_ && *busyShare_ < kIdleShare;
  words_.cpuSpeedNote.clear();
  if (status.empty()) {
    words_.cpuLimitsCapability =
        speed.anyPolicy ? "Not available · the cpufreq policies report implausible limits" : kNoLimits;
  } else if (atMinimumSamples_ >= 2 && !idle) {
    const std::string held = "held at minimum frequency (" + megahertz(speed.minimumKHz) + ")";
    words_.cpuSpeedNote = held;
    words_.cpuLimitsCapability = "cpufreq policies · " + held + " although the policy allows " +
                                 megahertz(speed.allowedKHz);
  } else if (speed.firmwareKHz > 0) {
    // The platform firmware's own cap (ACPI _PPC), which the policy limit follows.
    words_.cpuSpeedNote = "firmware limit " + megahertz(speed.firmwareKHz) + " (bios_limit)";
    words_.cpuLimitsCapability = "cpufreq policies · " + words_.cpuSpeedNote;
  } else {
    words_.cpuLimitsCapability = "cpufreq policies · subject to availability";
  }
  if (status.empty()) return std::nullopt;
  return status;
}

}  // namespace tempyra
