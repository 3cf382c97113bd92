// A controller that answers every exchange with bytes from the input: the reader must never
// crash, read past a record, or report an implausible value.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "providers/macos/smc_sensors.h"

namespace {

class ReplayController : public tempyra::SmcExchange {
 public:
  ReplayController(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool open() override { return size_ > 0 && (data_[0] & 1); }
  void close() override {}
  std::string interfaceName() const override { return "AppleSMC"; }
  std::string accessNote() const override { return "read-only"; }
  int call(const tempyra::SMCMessage&, tempyra::SMCMessage& out, std::size_t& outSize) override {
    if (calls_++ > 300) return 1;  // keep a run short
    std::uint8_t record[sizeof(tempyra::SMCMessage) + 2] = {};
    for (std::size_t i = 0; i < sizeof record; ++i) record[i] = next();
    std::memcpy(&out, record, sizeof out);
    if (record[80] == 0xFF) outSize = record[81];
    return record[80] == 0xFE ? 1 : 0;
  }

 private:
  std::uint8_t next() {
    if (size_ < 2) return 0;
    const std::uint8_t b = data_[1 + pos_ % (size_ - 1)];
    ++pos_;
    return b;
  }
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  int calls_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tempyra::SMCSensors reader(std::make_unique<ReplayController>(data, size));
  for (const auto& m : reader.sample(1)) {
    if (!m.value) continue;
    const double v = *m.value;
    const bool ok = m.unit == "RPM" ? v >= 0 && v <= 20000 : v > 0 && v < 150;
    if (!std::isfinite(v) || !ok) __builtin_trap();
  }
  if (size >= 4) {
    const std::vector<std::uint8_t> bytes(data, data + std::min<std::size_t>(size, 40));
    (void)tempyra::SMCSensors::decode(bytes, std::string_view(reinterpret_cast<const char*>(data), 4));
  }
  return 0;
}
