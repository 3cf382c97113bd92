#include "providers/linux/linux_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <utility>

#include "core/metric.h"
#include "providers/linux/proc_stat.h"
#include "providers/linux/sys_files.h"

namespace tempyra {
namespace {

std::string lowerCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Texts that firmware writes where a vendor left a DMI field unset.
bool placeholder(std::string_view text) {
  static const char* const kPlaceholders[] = {
      "",        "to be filled by o.e.m.", "system product name", "system manufacturer",
      "default string", "not applicable", "not specified", "none", "o.e.m.", "oem",
      "type1productconfigid", "unknown", "product name", "system version", "x.x"};
  const std::string lower = lowerCase(text);
  for (const char* p : kPlaceholders)
    if (lower == p) return true;
  return false;
}

// The value of one os-release assignment: quotes removed, backslash escapes undone.
std::string osReleaseValue(std::string_view v) {
  while (!v.empty() && std::isspace(static_cast<unsigned char>(v.back()))) v.remove_suffix(1);
  std::string out;
  char quote = 0;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const char c = v[i];
    if (quote == 0 && (c == '"' || c == '\'')) {
      quote = c;
    } else if (quote != 0 && c == quote) {
      quote = 0;
    } else if (c == '\\' && quote != '\'' && i + 1 < v.size()) {
      out.push_back(v[++i]);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::map<std::string, std::string> parseUevent(std::string_view text) {
  std::map<std::string, std::string> values;
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    constexpr std::string_view prefix = "POWER_SUPPLY_";
    const auto eq = line.find('=');
    if (line.substr(0, prefix.size()) == prefix && eq != std::string_view::npos)
      values[std::string(line.substr(prefix.size(), eq - prefix.size()))] =
          std::string(line.substr(eq + 1));
    start = end + 1;
  }
  return values;
}

struct Supply {
  std::map<std::string, std::string> props;
  std::string dir;
  std::optional<std::string> get(const std::string& key) const {
    if (const auto it = props.find(key); it != props.end()) return it->second;
    return readAttribute(dir + "/" + lowerCase(key));
  }
  std::optional<std::int64_t> number(const std::string& key) const {
    const auto text = get(key);
    return text ? parseInteger(*text) : std::nullopt;
  }
};

double steadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

LinuxPlatform::LinuxPlatform(std::filesystem::path root)
    : root_(std::move(root)), rootText_(underRoot(root_, "")), thermal_(root_) {
  const long ticks = ::sysconf(_SC_CLK_TCK);
  if (ticks > 0) {
    const auto hz = static_cast<std::uint64_t>(ticks);
    const std::uint64_t g = std::gcd(std::uint64_t{1'000'000'000}, hz);
    nsPerTickNum_ = 1'000'000'000 / g;
    nsPerTickDen_ = hz / g;
  }
  words_.thermalCapability = thermal_.capability();
  words_.cpuTicks = "/proc/stat";
  words_.cpuLoadCapability = readFileText(path("proc/stat"), 4096)
                                 ? "Available · /proc/stat"
                                 : "Not available · /proc/stat is not readable";
  const std::string supplies = path("sys/class/power_supply");
  if (::access(supplies.c_str(), R_OK) != 0)
    words_.powerCapability = "Not available · the kernel exposes no /sys/class/power_supply";
  else if (listDirectory(supplies).empty())
    words_.powerCapability = "Not available · the kernel lists no power supply";
  else
    words_.powerCapability = "/sys/class/power_supply · subject to hardware availability";
  words_.cpuLimits = "cpufreq policy";
  words_.cpuLimitsCapability =
      cpuPowerStatus() ? "cpufreq policies · subject to availability"
                       : "Not available · no cpufreq policy or idle-injection device in /sys";
  words_.processCapability = "Best effort · /proc/[pid]/stat; hidden processes omitted";
}

std::string LinuxPlatform::path(std::string_view relative) const {
  std::string p = rootText_;
  p.append(relative);
  return p;
}

int LinuxPlatform::thermalLevel() { return thermal_.level(steadySeconds()); }

std::string LinuxPlatform::osText() {
  std::optional<std::string> text = readFileText(path("etc/os-release"));
  if (!text) text = readFileText(path("usr/lib/os-release"));
  std::string pretty = "Linux";
  if (text) {
    std::size_t start = 0;
    while (start < text->size()) {
      auto end = text->find('\n', start);
      if (end == std::string::npos) end = text->size();
      const std::string_view line = std::string_view(*text).substr(start, end - start);
      if (line.substr(0, 12) == "PRETTY_NAME=") {
        const std::string value = osReleaseValue(line.substr(12));
        if (!value.empty()) pretty = value;
      }
      start = end + 1;
    }
  }
  const auto release = readAttribute(path("proc/sys/kernel/osrelease"));
  if (!release || release->empty()) return pretty;
  return pretty + " (kernel " + *release + ")";
}

std::optional<std::string> LinuxPlatform::modelText() {
  const std::string dmi = path("sys/class/dmi/id/");
  auto field = [&](const char* name) -> std::optional<std::string> {
    auto text = readAttribute(dmi + name);
    if (!text || placeholder(*text)) return std::nullopt;
    return text;
  };
  auto join = [](const std::optional<std::string>& vendor, const std::string& product) {
    if (!vendor || product.rfind(*vendor, 0) == 0) return product;
    return *vendor + " " + product;
  };
  if (const auto product = field("product_name")) return join(field("sys_vendor"), *product);
  if (const auto board = field("board_name")) return join(field("board_vendor"), *board);
  if (auto model = readFileText(path("proc/device-tree/model"), 4096)) {
    model->resize(strnlen(model->data(), model->size()));
    while (!model->empty() && std::isspace(static_cast<unsigned char>(model->back())))
      model->pop_back();
    if (!model->empty()) return model;
  }
  return std::nullopt;
}

std::string LinuxPlatform::architectureText() {
  std::optional<std::string> machine = readAttribute(path("proc/sys/kernel/arch"));
  if ((!machine || machine->empty()) && rootText_ == "/") {
    utsname names{};
    if (::uname(&names) == 0) machine = names.machine;
  }
  if (!machine || machine->empty()) return kNotAvailable;
  if (*machine == "x86_64" || *machine == "i686" || *machine == "i386") {
    std::string vendor;
    if (const auto cpuinfo = readFileText(path("proc/cpuinfo"), 1 << 16)) {
      const auto at = cpuinfo->find("vendor_id");
      if (at != std::string::npos) {
        const auto colon = cpuinfo->find(':', at);
        const auto end = cpuinfo->find('\n', at);
        if (colon != std::string::npos && colon < end)
          vendor = osReleaseValue(std::string_view(*cpuinfo).substr(colon + 1, end - colon - 1));
        vendor.erase(0, vendor.find_first_not_of(' '));
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

std::optional<std::vector<std::uint32_t>> LinuxPlatform::cpuTicks() {
  // The totals are the first line; the per-CPU and interrupt lines after it can be long.
  const auto text = readFileText(path("proc/stat"), 4096);
  if (!text) return std::nullopt;
  const auto ticks = parseHostTicks(*text);
  if (!ticks) return std::nullopt;
  // The low 32 bits: the provider's wrap-around arithmetic still gives the true advance.
  return std::vector<std::uint32_t>{static_cast<std::uint32_t>((*ticks)[0]),
                                    static_cast<std::uint32_t>((*ticks)[1]),
                                    static_cast<std::uint32_t>((*ticks)[2]),
                                    static_cast<std::uint32_t>((*ticks)[3])};
}

std::optional<std::vector<std::int32_t>> LinuxPlatform::processIds() {
  DIR* dir = ::opendir(path("proc").c_str());
  if (!dir) return std::nullopt;
  std::vector<std::int32_t> ids;
  ids.reserve(512);
  while (const dirent* entry = ::readdir(dir)) {
    const char* name = entry->d_name;
    std::int64_t pid = 0;
    bool digits = *name != '\0';
    for (const char* c = name; *c; ++c) {
      if (*c < '0' || *c > '9' || pid > 0x7FFFFFFF) {
        digits = false;
        break;
      }
      pid = pid * 10 + (*c - '0');
    }
    if (digits && pid > 0 && pid <= 0x7FFFFFFF) ids.push_back(static_cast<std::int32_t>(pid));
  }
  ::closedir(dir);
  return ids;
}

std::optional<ProcessTimes> LinuxPlatform::processTimes(std::int32_t pid) {
  lastPid_ = 0;
  char file[4096];
  const int len = std::snprintf(file, sizeof file, "%sproc/%d/stat", rootText_.c_str(), pid);
  if (len <= 0 || static_cast<std::size_t>(len) >= sizeof file) return std::nullopt;
  // One open + read + close: the kernel builds the line atomically per read. ENOENT (exited),
  // ESRCH (exited after open) and EPERM/EACCES (hidden) all mean "skip".
  const int fd = ::open(file, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  char buffer[1024];
  const ssize_t n = ::read(fd, buffer, sizeof buffer);
  ::close(fd);
  if (n <= 0) return std::nullopt;
  const auto stat = parseProcPidStat(std::string_view(buffer, static_cast<std::size_t>(n)));
  if (!stat || stat->pid != pid) return std::nullopt;

  const unsigned __int128 ticks = static_cast<unsigned __int128>(stat->utime) + stat->stime;
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
    const auto text = readFileText(path(numbered("proc/", pid, "/stat")), 4096);
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
    if (const auto cmdline = readFileText(path(numbered("proc/", pid, "/cmdline")), 4096)) {
      std::string_view argv0(cmdline->data(), strnlen(cmdline->data(), cmdline->size()));
      if (const auto slash = argv0.rfind('/'); slash != std::string_view::npos)
        argv0.remove_prefix(slash + 1);
      if (argv0.size() > comm.size() && argv0.substr(0, comm.size()) == comm) comm = argv0;
    }
  }
  return comm;
}

std::optional<PowerSnapshot> LinuxPlatform::powerSources() {
  const std::string base = path("sys/class/power_supply");
  if (::access(base.c_str(), R_OK) != 0) return std::nullopt;

  std::vector<Supply> batteries;
  bool externalOnline = false;
  bool externalListed = false;
  for (const auto& name : listDirectory(base)) {
    Supply supply;
    supply.dir = base + "/" + name;
    if (const auto uevent = readFileText(supply.dir + "/uevent", 16384))
      supply.props = parseUevent(*uevent);
    const auto type = supply.get("TYPE");
    if (!type) continue;
    if (supply.get("SCOPE") == "Device") continue;  // a mouse or headset battery
    if (*type == "Battery") {
      if (supply.number("PRESENT") == 0) continue;
      batteries.push_back(std::move(supply));
    } else if (*type == "Mains" || type->rfind("USB", 0) == 0 || *type == "Wireless" ||
               *type == "BrickID") {
      externalListed = true;
      if (supply.number("ONLINE").value_or(0) >= 1) externalOnline = true;
    }
  }

  PowerSnapshot snapshot;
  std::optional<bool> charging;
  bool anyDischarging = false, anyOnExternal = false;
  for (const auto& battery : batteries) {
    const auto status = battery.get("STATUS");
    if (status == "Charging") charging = true, anyOnExternal = true;
    else if (status == "Discharging") anyDischarging = true;
    else if (status == "Full" || status == "Not charging") anyOnExternal = true;
    if (!charging && status && *status != "Unknown") charging = false;
  }
  if (externalOnline) {
    snapshot.providingType = "AC Power";
  } else if (!batteries.empty()) {
    if (anyDischarging) snapshot.providingType = "Battery Power";
    else if (anyOnExternal) snapshot.providingType = "AC Power";
    else if (externalListed) snapshot.providingType = "Battery Power";
  }
  // Nothing listed at all (many desktops and virtual machines): the source is not observed, so
  // it is not reported, although such a machine most likely runs on external power.

  snapshot.sources.emplace();
  if (!batteries.empty()) {
    PowerSourceDescription description;
    description.type = "InternalBattery";
    description.isCharging = charging;
    // Several batteries: their stored energy (or charge) summed; never energy mixed with charge.
    auto sum = [&](const char* now, const char* full) -> bool {
      double n = 0, f = 0;
      for (const auto& battery : batteries) {
        const auto a = battery.number(now), b = battery.number(full);
        if (!a || !b || *a < 0 || *b < 0) return false;
        n += static_cast<double>(*a);
        f += static_cast<double>(*b);
      }
      description.currentCapacity = n;
      description.maxCapacity = f;
      return true;
    };
    if (batteries.size() == 1 && batteries[0].number("CAPACITY")) {
      description.currentCapacity = static_cast<double>(*batteries[0].number("CAPACITY"));
      description.maxCapacity = 100.0;
    } else if (!sum("ENERGY_NOW", "ENERGY_FULL") && !sum("CHARGE_NOW", "CHARGE_FULL")) {
      if (const auto capacity = batteries[0].number("CAPACITY")) {
        description.currentCapacity = static_cast<double>(*capacity);
        description.maxCapacity = 100.0;
      }
    }
    snapshot.sources->push_back(std::move(description));
  }
  return snapshot;
}

std::optional<std::map<std::string, double>> LinuxPlatform::cpuPowerStatus() {
  std::map<std::string, double> status;
  const std::string cpu = path("sys/devices/system/cpu/");
  const std::string cpufreq = cpu + "cpufreq";
  const auto noTurbo = readInteger(cpu + "intel_pstate/no_turbo");
  const auto boost = readInteger(cpufreq + "/boost");
  const bool turboOff = noTurbo == 1 || boost == 0;
  std::optional<double> limit;
  for (const auto& policy : listDirectory(cpufreq)) {
    if (policy.rfind("policy", 0) != 0) continue;
    const std::string dir = cpufreq + "/" + policy + "/";
    // A policy whose CPUs are all offline is inactive.
    const auto affected = readAttribute(dir + "affected_cpus");
    if (!affected || affected->empty()) continue;
    const auto maxFreq = readInteger(dir + "scaling_max_freq");
    auto reference = readInteger(dir + "cpuinfo_max_freq");
    if (turboOff) {
      if (const auto base = readInteger(dir + "base_frequency")) reference = base;
    }
    if (!maxFreq || !reference || *reference <= 0 || *maxFreq < 0) continue;
    const double percent = 100.0 * static_cast<double>(*maxFreq) / static_cast<double>(*reference);
    limit = limit ? std::min(*limit, percent) : percent;
  }
  if (const auto maxPerf = readInteger(cpu + "intel_pstate/max_perf_pct")) {
    if (limit) limit = std::min(*limit, static_cast<double>(*maxPerf));
  }
  if (limit) status[kCpuSpeedLimitKey] = std::clamp(*limit, 0.0, 100.0);

  // Idle injection is the nearest thing to a scheduler limit: the share of time forced idle.
  const std::string thermal = path("sys/class/thermal");
  std::optional<std::int64_t> injected;
  for (const auto& device : listDirectory(thermal)) {
    if (device.rfind("cooling_device", 0) != 0) continue;
    const auto type = readAttribute(thermal + "/" + device + "/type");
    if (!type || (*type != "intel_powerclamp" && type->rfind("idle-", 0) != 0)) continue;
    const auto state = readInteger(thermal + "/" + device + "/cur_state");
    if (!state) continue;
    injected = std::max(injected.value_or(0), std::max<std::int64_t>(*state, 0));
  }
  if (injected) status[kCpuSchedulerLimitKey] = 100.0 - static_cast<double>(std::min<std::int64_t>(*injected, 100));

  if (status.empty()) return std::nullopt;
  return status;
}

}  // namespace tempyra
