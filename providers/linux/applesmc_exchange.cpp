#include "providers/linux/applesmc_exchange.h"

#include <algorithm>
#include <cmath>

#include "providers/smc_sensors.h"
#include "providers/linux/sys_files.h"

namespace tempyra {
namespace {

constexpr std::uint8_t kKeyNotFound = 0x84;  // the controller's own "no such key"
constexpr std::uint8_t kReadFailed = 0x85;

void putBigEndian(SMCMessage& m, std::uint32_t value, std::uint32_t size) {
  for (std::uint32_t i = 0; i < size; ++i)
    m.payload[i] = static_cast<std::uint8_t>(value >> (8 * (size - 1 - i)));
}

int channel(const std::string& name, std::string_view prefix) {
  constexpr std::string_view suffix = "_input";
  if (name.size() <= prefix.size() + suffix.size() || name.rfind(prefix, 0) != 0 ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    return 0;
  const auto n = parseInteger(
      std::string_view(name).substr(prefix.size(), name.size() - prefix.size() - suffix.size()));
  return n && *n > 0 && *n <= 64 ? static_cast<int>(*n) : 0;
}

}  // namespace

ApplesmcExchange::ApplesmcExchange(std::filesystem::path root) : root_(std::move(root)) {}

std::optional<std::string> ApplesmcExchange::deviceDirectory(const std::filesystem::path& root) {
  const std::string base = underRoot(root, "sys/class/hwmon");
  for (const auto& entry : listDirectory(base)) {
    for (const char* sub : {"/device", ""}) {
      const std::string dir = base + "/" + entry + sub;
      if (readAttribute(dir + "/name") == "applesmc") return dir;
    }
  }
  const std::string platform = underRoot(root, "sys/devices/platform/applesmc.768");
  if (readAttribute(platform + "/name") == "applesmc") return platform;
  return std::nullopt;
}

bool ApplesmcExchange::open() {
  const auto dir = deviceDirectory(root_);
  if (!dir) return false;
  std::vector<std::pair<int, Key>> temps, fans;
  for (const auto& file : listDirectory(*dir)) {
    if (const int n = channel(file, "temp")) {
      const auto label = readAttribute(*dir + numbered("/temp", n, "_label"));
      if (label && label->size() == 4) temps.push_back({n, Key{*label, *dir + "/" + file}});
    } else if (const int f = channel(file, "fan")) {
      fans.push_back({f, Key{numbered("F", f - 1, "Ac"), *dir + "/" + file}});
    }
  }
  // The controller lists its keys sorted; the driver numbers channels in that order.
  std::sort(temps.begin(), temps.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::sort(fans.begin(), fans.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& t : temps) temps_.push_back(std::move(t.second));
  for (auto& f : fans) fans_.push_back(std::move(f.second));
  return true;
}

int ApplesmcExchange::call(const SMCMessage& in, SMCMessage& out, std::size_t& outSize) {
  if (outSize != sizeof(SMCMessage)) return -1;
  out = SMCMessage{};
  out.key = in.key;
  out.command = in.command;
  const std::string key = SMCSensors::name(in.key);

  if (in.command == kSmcKeyByIndex) {
    if (in.index < temps_.size()) out.key = SMCSensors::code(temps_[in.index].name);
    else out.result = kKeyNotFound;
    return 0;
  }
  if (in.command != kSmcKeyInfo && in.command != kSmcReadValue) return -1;

  const Key* temp = nullptr;
  const Key* fan = nullptr;
  for (const auto& t : temps_)
    if (t.name == key) temp = &t;
  for (const auto& f : fans_)
    if (f.name == key) fan = &f;

  std::uint32_t size = 0;
  const char* type = nullptr;
  if (key == "#KEY") size = 4, type = "ui32";
  else if (key == "FNum") size = 1, type = "ui8 ";
  else if (temp) size = 2, type = "sp78";
  else if (fan) size = 2, type = "fpe2";
  if (!type) {
    out.result = kKeyNotFound;
    return 0;
  }
  if (in.command == kSmcKeyInfo) {
    out.dataSize = size;
    out.dataType = SMCSensors::code(type);
    return 0;
  }
  out.dataSize = size;
  if (key == "#KEY") {
    putBigEndian(out, static_cast<std::uint32_t>(temps_.size()), 4);
  } else if (key == "FNum") {
    out.payload[0] = static_cast<std::uint8_t>(std::min<std::size_t>(fans_.size(), 255));
  } else {
    const auto value = readInteger(temp ? temp->input : fan->input);
    if (!value) {
      out.result = kReadFailed;
      return 0;
    }
    // Re-encoded in the key's own format; a value the format cannot hold did not come from
    // the controller, and clamping it would invent a reading.
    const double fixed = temp ? std::round(static_cast<double>(*value) * 256.0 / 1000.0)  // sp78
                              : static_cast<double>(*value) * 4.0;                          // fpe2
    const bool fits = temp ? fixed >= -32768 && fixed <= 32767 : fixed >= 0 && fixed <= 65535;
    if (!fits) {
      out.result = kReadFailed;
      return 0;
    }
    const auto bits = temp ? static_cast<std::uint16_t>(static_cast<std::int16_t>(fixed))
                           : static_cast<std::uint16_t>(fixed);
    putBigEndian(out, bits, 2);
  }
  return 0;
}

}  // namespace tempyra
