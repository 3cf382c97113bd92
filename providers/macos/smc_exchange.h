#pragma once
// The controller's wire record and the exchange that carries it.
#include <cstddef>
#include <cstdint>
#include <string>

namespace tempyra {

// The fixed 80-byte record that is both input and output of every controller exchange.
// Integers are native (little-endian) except where a field holds characters; keys and type codes
// pack four characters with the first in the most significant byte.
struct SMCMessage {
  std::uint32_t key = 0;
  std::uint8_t reserved0[24] = {};
  std::uint32_t dataSize = 0;
  std::uint32_t dataType = 0;
  std::uint8_t reserved1[4] = {};
  std::uint8_t result = 0;  // 0 success
  std::uint8_t reserved2 = 0;
  std::uint8_t command = 0;  // kSmcReadValue, kSmcKeyByIndex, kSmcKeyInfo
  std::uint8_t reserved3 = 0;
  std::uint32_t index = 0;
  std::uint8_t payload[32] = {};
};
static_assert(sizeof(SMCMessage) == 80);
static_assert(offsetof(SMCMessage, dataSize) == 28 && offsetof(SMCMessage, dataType) == 32);
static_assert(offsetof(SMCMessage, result) == 40 && offsetof(SMCMessage, command) == 42);
static_assert(offsetof(SMCMessage, index) == 44 && offsetof(SMCMessage, payload) == 48);

inline constexpr std::uint8_t kSmcReadValue = 5;
inline constexpr std::uint8_t kSmcKeyByIndex = 8;
inline constexpr std::uint8_t kSmcKeyInfo = 9;

// One way to reach the controller. REQUIRES: one caller at a time.
class SmcExchange {
 public:
  virtual ~SmcExchange() = default;
  // True when the controller was found and opened. Called once.
  virtual bool open() = 0;
  // One exchange: 0 on success with `outSize` still 80 and `out` filled; anything else is a
  // failure. `outSize` is 80 on entry.
  virtual int call(const SMCMessage& in, SMCMessage& out, std::size_t& outSize) = 0;
  // Called once, only after a successful open.
  virtual void close() = 0;

  // How the controller is named in sources, e.g. "AppleSMC".
  virtual std::string interfaceName() const = 0;
  // What access the exchange gives, shown in the status, e.g. "read-only".
  virtual std::string accessNote() const = 0;
};

}  // namespace tempyra
