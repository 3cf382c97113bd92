#pragma once
// A controller that answers from a key table through the same 80-byte records as the real one.
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "providers/smc_exchange.h"
#include "providers/smc_sensors.h"

namespace tempyra::testing {

struct FakeKey {
  std::string type;
  std::vector<std::uint8_t> bytes;
};

inline FakeKey sp78(double celsius) {
  const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(celsius * 256));
  return {"sp78", {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)}};
}
inline FakeKey fpe2(double rpm) {
  const auto v = static_cast<std::uint16_t>(rpm * 4);
  return {"fpe2", {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)}};
}
inline FakeKey flt(float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, 4);
  return {"flt ", {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                   static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)}};
}
inline FakeKey ui8(std::uint8_t v) { return {"ui8 ", {v}}; }
inline FakeKey ui32(std::uint32_t v) {
  return {"ui32", {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                   static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)}};
}

class FakeController : public SmcExchange {
 public:
  // `keys` in index order; "#KEY" is added unless `keyCount` overrides it.
  struct State {
    std::vector<std::pair<std::string, FakeKey>> keys;
    bool openable = true;
    std::set<std::string> failing;  // keys whose exchanges fail
    int calls = 0;
    bool closed = false;
  };

  explicit FakeController(State* state) : s_(state) {}

  bool open() override { return s_->openable; }
  void close() override { s_->closed = true; }
  std::string interfaceName() const override { return "AppleSMC"; }
  std::string accessNote() const override { return "read-only"; }

  int call(const SMCMessage& in, SMCMessage& out, std::size_t& outSize) override {
    ++s_->calls;
    if (outSize != 80) return 1;
    out = SMCMessage{};
    if (in.command == kSmcKeyByIndex) {
      std::size_t listed = 0;
      for (const auto& [name, key] : s_->keys) {
        if (name == "#KEY") continue;
        if (listed++ == in.index) {
          out.key = SMCSensors::code(name);
          return 0;
        }
      }
      out.result = 0x84;
      return 0;
    }
    const std::string name = SMCSensors::name(in.key);
    const FakeKey* key = nullptr;
    for (const auto& [n, k] : s_->keys)
      if (n == name) key = &k;
    if (!key || s_->failing.count(name)) {
      out.result = 0x84;
      return 0;
    }
    if (in.command == kSmcKeyInfo) {
      out.dataSize = static_cast<std::uint32_t>(key->bytes.size());
      out.dataType = SMCSensors::code(key->type);
    } else if (in.command == kSmcReadValue) {
      std::memcpy(out.payload, key->bytes.data(), std::min<std::size_t>(key->bytes.size(), 32));
    } else {
      return 2;
    }
    return 0;
  }

 private:
  State* s_;
};

// A key table with "#KEY" counting the other keys.
inline FakeController::State controllerWith(std::vector<std::pair<std::string, FakeKey>> keys) {
  FakeController::State state;
  state.keys.push_back({"#KEY", ui32(static_cast<std::uint32_t>(keys.size()))});
  for (auto& k : keys) state.keys.push_back(std::move(k));
  return state;
}

}  // namespace tempyra::testing
