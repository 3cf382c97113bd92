#include "providers/macos/smc_sensors.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>


namespace tempyra {
namespace {

constexpr std::uint32_t kMaxKeys = 16384;  // a larger "#KEY" is garbage, not a key count

struct Group {
  MetricKind kind;
  const char* name;
  std::vector<std::string> prefixes;
  const char* prefixText;
};

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// prefix + decimal n + suffix ("F" 0 "Ac" -> "F0Ac").
std::string numbered(const char* prefix, int n, const char* suffix = "") {
  std::string text(prefix);
  text += std::to_string(n);
  text += suffix;
  return text;
}

bool keptKey(std::string_view key) {
  return startsWith(key, "Tp") || startsWith(key, "Te") || startsWith(key, "Tg") ||
         key == "TC0P" || key == "TC0D" || key == "TG0P" || key == "TB0T";
}

}  // namespace

SMCSensors::SMCSensors(std::unique_ptr<SmcExchange> exchange) : exchange_(std::move(exchange)) {
  if (!exchange_ || !exchange_->open()) return;
  connected_ = true;
  discover();
}

SMCSensors::~SMCSensors() {
  if (connected_) exchange_->close();
}

std::uint32_t SMCSensors::code(std::string_view key) {
  std::uint32_t result = 0;
  for (unsigned char c : key) result = (result << 8) + c;
  return result;
}

std::string SMCSensors::name(std::uint32_t code) {
  std::string text(4, '\0');
  for (int i = 0; i < 4; ++i) {
    const auto byte = static_cast<unsigned char>(code >> (24 - 8 * i));
    if (byte > 0x7F) return {};
    text[static_cast<std::size_t>(i)] = static_cast<char>(byte);
  }
  return text;
}

std::optional<double> SMCSensors::decode(const std::vector<std::uint8_t>& b, std::string_view type) {
  std::optional<double> v;
  if (type == "flt " && b.size() >= 4) {
    const std::uint32_t bits = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 |
                               std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
    v = static_cast<double>(std::bit_cast<float>(bits));
  } else if (type == "sp78" && b.size() >= 2) {
    v = static_cast<std::int16_t>(static_cast<std::uint16_t>(b[0] << 8 | b[1])) / 256.0;
  } else if (type == "fpe2" && b.size() >= 2) {
    v = static_cast<std::uint16_t>(b[0] << 8 | b[1]) / 4.0;
  } else if (type == "ui8 " && !b.empty()) {
    v = b[0];
  } else if (type == "ui32" && b.size() >= 4) {
    v = static_cast<double>(std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 |
                            std::uint32_t{b[2]} << 8 | std::uint32_t{b[3]});
  }
  if (v && !std::isfinite(*v)) return std::nullopt;
  return v;
}

std::optional<SMCMessage> SMCSensors::call(const SMCMessage& in) {
  if (!connected_) return std::nullopt;
  SMCMessage out{};
  std::size_t outSize = sizeof(SMCMessage);
  if (exchange_->call(in, out, outSize) != 0 || outSize != sizeof(SMCMessage) || out.result != 0)
    return std::nullopt;
  return out;
}

std::optional<SMCSensors::Value> SMCSensors::read(std::string_view key) {
  SMCMessage info{};
  info.key = code(key);
  info.command = kSmcKeyInfo;
  const auto described = call(info);
  if (!described || described->dataSize < 1 || described->dataSize > 32) return std::nullopt;

  SMCMessage request{};
  request.key = info.key;
  request.dataSize = described->dataSize;
  request.command = kSmcReadValue;
  const auto reply = call(request);
  if (!reply) return std::nullopt;
  Value value;
  value.bytes.assign(reply->payload, reply->payload + described->dataSize);
  value.type = name(described->dataType);
  return value;
}

std::optional<double> SMCSensors::readNumber(std::string_view key) {
  const auto value = read(key);
  if (!value) return std::nullopt;
  return decode(value->bytes, value->type);
}

void SMCSensors::discover() {
  const auto count = readNumber("#KEY");
  if (count && *count > 0 && *count < kMaxKeys) {
    const auto n = static_cast<std::uint32_t>(*count);
    for (std::uint32_t i = 0; i < n; ++i) {
      SMCMessage request{};
      request.command = kSmcKeyByIndex;
      request.index = i;
      const auto reply = call(request);
      if (!reply) continue;
      const std::string key = name(reply->key);
      if (keptKey(key)) temperatureKeys_.push_back(key);
    }
  }
  status_ = temperatureKeys_.empty()
                ? std::string(kNoKeys)
                : exchange_->interfaceName() + " · " + exchange_->accessNote() +
                      " · undocumented sensor mapping";
}

std::vector<Metric> SMCSensors::sample(double at) {
  std::vector<Metric> metrics;
  const std::string iface = exchange_ ? exchange_->interfaceName() : std::string("AppleSMC");

  for (const auto& key : temperatureKeys_) {
    const auto value = readNumber(key);
    if (!value || !(*value > 0 && *value < 150)) continue;
    metrics.emplace_back(MetricKind::sensor, "Sensor " + key, value, "°C",
                         iface + " / " + key + " · controller-reported; mapping undocumented", at,
                         "Measured");
  }

  static const Group groups[] = {
      {MetricKind::cpuTemperature, "CPU temperature", {"Tp", "Te", "TC"}, "Tp/Te/TC"},
      {MetricKind::gpuTemperature, "GPU temperature", {"Tg", "TG"}, "Tg/TG"},
      {MetricKind::batteryTemperature, "Battery temperature", {"TB"}, "TB"},
  };
  for (const auto& group : groups) {
    double sum = 0;
    int count = 0;
    for (const auto& m : metrics) {
      if (m.kind != MetricKind::sensor || !m.value) continue;
      const std::string_view key = std::string_view(m.name).substr(7);
      for (const auto& prefix : group.prefixes) {
        if (startsWith(key, prefix)) {
          sum += *m.value;
          ++count;
          break;
        }
      }
    }
    std::optional<double> mean;
    if (count > 0) mean = sum / count;
    metrics.insert(metrics.begin(),
                   Metric(group.kind, group.name, mean, "°C",
                          status_ + " · mean of recognised " + group.prefixText + " keys", at,
                          "Derived · undocumented group mapping"));
  }

  const auto fans = readNumber("FNum");
  if (!fans || *fans < 0 || *fans > 8) {
    metrics.emplace_back(MetricKind::fan, "Fan speed", std::nullopt, "RPM", status_, at, kNotAvailable);
    return metrics;
  }
  const int count = static_cast<int>(*fans);
  for (int i = 0; i < count; ++i) {
    const std::string key = numbered("F", i, "Ac");
    auto speed = readNumber(key);
    if (speed && (*speed < 0 || *speed > 20000)) speed.reset();
    metrics.emplace_back(MetricKind::fan, numbered("Fan ", i + 1), speed, "RPM",
                         iface + " / " + key + " · actual speed", at, "Measured");
  }
  if (count == 0)
    metrics.emplace_back(MetricKind::fan, "Fan speed", std::nullopt, "RPM", iface + " reports no fans", at,
                         kNotAvailable);
  return metrics;
}

}  // namespace tempyra
