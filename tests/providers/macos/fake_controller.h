#pragma once
// A controller that answers from a key table through the same 80-byte records as the real one.
#include <cstring>
#include <string>
#include <vector>

#include "providers/macos/smc_exchange.h"
#include "providers/macos/smc_sensors.h"

namespace tempyra::testing {

struct FakeKey {
  std::string type;
  std::vector<std::uint8_t> bytes;
};

inline FakeKey bigEndian(const char* type, std::uint32_t v, int size) {
  FakeKey key{type, {}};
  for (int i = size - 1; i >= 0; --i) key.bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  return key;
}
inline FakeKey sp78(double c) { return bigEndian("sp78", static_cast<std::uint16_t>(static_cast<std::int16_t>(c * 256)), 2); }
inline FakeKey fpe2(double rpm) { return bigEndian("fpe2", static_cast<std::uint32_t>(rpm * 4), 2); }
inline FakeKey ui8(std::uint8_t v) { return bigEndian("ui8 ", v, 1); }
inline FakeKey ui32(std::uint32_t v) { return bigEndian("ui32", v, 4); }
inline FakeKey flt(float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, 4);
  FakeKey key = bigEndian("flt ", bits, 4);
  std::swap(key.bytes[0], key.bytes[3]);  // little-endian on the wire
  std::swap(key.bytes[1], key.bytes[2]);
  return key;
}

class FakeController : public SmcExchange {
 public:
  struct State {
    std::vector<std::pair<std::string, FakeKey>> keys;  // in index order, "#KEY" first
    bool openable = true;
    int calls = 0;
  };
  explicit FakeController(State* state) : s_(state) {}

  bool open() override { return s_->openable; }
  void close() override {}
  std::string interfaceName() const override { return "AppleSMC"; }
  std::string accessNote() const override { return "read-only"; }

  int call(const SMCMessage& in, SMCMessage& out, std::size_t& outSize) override {
    ++s_->calls;
    if (outSize != 80) return 1;
    out = SMCMessage{};
    out.result = 0x84;  // no such key, unless found below
    if (in.command == kSmcKeyByIndex) {
      if (in.index + 1 < s_->keys.size()) {
        out.key = SMCSensors::code(s_->keys[in.index + 1].first);
        out.result = 0;
      }
      return 0;
    }
    const std::string name = SMCSensors::name(in.key);
    for (const auto& [n, key] : s_->keys) {
      if (n != name) continue;
      out.result = 0;
      out.dataSize = static_cast<std::uint32_t>(key.bytes.size());
      out.dataType = SMCSensors::code(key.type);
      if (!key.bytes.empty()) std::memcpy(out.payload, key.bytes.data(), std::min<std::size_t>(key.bytes.size(), 32));
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
