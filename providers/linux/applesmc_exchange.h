#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "providers/smc_exchange.h"

namespace tempyra {

// The controller exchange over the Linux applesmc driver (Intel Macs). The driver's by-index key
// access goes through one selector shared by every reader that only root may write, so this
// exchange never writes anything: it answers from the keys the driver exports to every user,
// the temperature channels (label = key, type sp78) and the fan speeds (F<n>Ac, type fpe2),
// plus "#KEY" (the exported temperature keys) and "FNum". Values are read live at each exchange.
// REQUIRES: one caller at a time.
class ApplesmcExchange final : public SmcExchange {
 public:
  explicit ApplesmcExchange(std::filesystem::path root = "/");

  // The driver's attribute directory below `root`, when the driver is loaded.
  static std::optional<std::string> deviceDirectory(const std::filesystem::path& root);

  bool open() override;
  int call(const SMCMessage& in, SMCMessage& out, std::size_t& outSize) override;
  void close() override {}
  std::string interfaceName() const override { return "applesmc"; }
  std::string accessNote() const override {
    return "read-only · driver-exported keys only (the full key list needs root)";
  }

 private:
  struct Key {
    std::string name;
    std::string input;  // path of the *_input attribute
  };
  std::filesystem::path root_;
  std::vector<Key> temps_;
  std::vector<Key> fans_;
};

}  // namespace tempyra
