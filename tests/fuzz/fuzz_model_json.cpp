// Feeds arbitrary bytes to every JSON reader of the observation model and the advice. Whatever
// decodes must encode again (a decoded record never holds a non-finite number), and that text
// must read back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/advice.h"
#include "core/model_json.h"

namespace {

template <class Decode>
void roundTrip(std::string_view text, Decode decode) {
  const auto value = decode(text);
  if (!value) return;
  const auto once = tempyra::encodeJson(*value);
  if (!once) std::abort();
  const auto again = decode(*once);
  if (!again || *tempyra::encodeJson(*again) != *once) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  roundTrip(text, tempyra::decodeReading);
  roundTrip(text, tempyra::decodeMetric);
  roundTrip(text, tempyra::decodePowerContext);
  roundTrip(text, tempyra::decodeProcessActivity);
  roundTrip(text, tempyra::decodeDeviceProfile);
  roundTrip(text, tempyra::decodeAdvice);
  return 0;
}
