#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/metric.h"
#include "providers/hardware_sensors.h"
#include "providers/macos/smc_exchange.h"

namespace tempyra {

// Temperatures and fan speeds from the system-management controller, strictly read-only. Key
// meanings are undocumented and vary by model, so nothing is calibrated or guessed: every
// plausible temperature key is reported unchanged, three group means are derived by key prefix,
// and every value says where it came from.
//
// The connection is opened and the keys discovered once, at construction; the connection stays
// open until destruction. REQUIRES: one caller at a time.
class SMCSensors final : public HardwareSensors {
 public:
  explicit SMCSensors(std::unique_ptr<SmcExchange> exchange);
  ~SMCSensors() override;
  SMCSensors(const SMCSensors&) = delete;
  SMCSensors& operator=(const SMCSensors&) = delete;

  const std::string& status() const override { return status_; }
  std::vector<Metric> sample(double at) override;
  const std::vector<std::string>& temperatureKeys() const { return temperatureKeys_; }

  // A value of the given type text as a number; nothing for unknown types, short data or a
  // non-finite result.
  static std::optional<double> decode(const std::vector<std::uint8_t>& bytes, std::string_view type);
  // Key text to code, first character in the most significant byte.
  static std::uint32_t code(std::string_view key);
  // Code to four-character text; empty when the bytes are not ASCII.
  static std::string name(std::uint32_t code);

  static constexpr const char* kUnavailable = "Controller unavailable or access restricted";
  static constexpr const char* kNoKeys = "Controller accessible; no recognised temperature keys";

 private:
  struct Value {
    std::vector<std::uint8_t> bytes;
    std::string type;
  };
  std::optional<SMCMessage> call(const SMCMessage& in);
  std::optional<Value> read(std::string_view key);
  std::optional<double> readNumber(std::string_view key);
  void discover();

  std::unique_ptr<SmcExchange> exchange_;
  bool connected_ = false;
  std::vector<std::string> temperatureKeys_;
  std::string status_ = kUnavailable;
};

}  // namespace tempyra
