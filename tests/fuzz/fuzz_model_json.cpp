// Feeds arbitrary bytes to every JSON reader of the engine. Whatever decodes must encode again
// (a decoded record never holds a non-finite number), and the re-encoded text must decode to
// the same bytes once more.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "core/advice.h"
#include "core/alert_settings.h"
#include "core/model_json.h"

namespace {

template <class Decode>
void roundTrip(std::string_view text, Decode decode) {
  auto value = decode(text);
  if (!value) return;
  const auto once = tempyra::encodeJson(*value);
  if (!once) std::abort();
  const auto again = decode(*once);
  if (!again) std::abort();
  const auto twice = tempyra::encodeJson(*again);
  if (!twice || *twice != *once) std::abort();
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

  const auto j = nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
  if (!j.is_discarded()) {
    const auto settings = tempyra::alertSettingsFromJson(j);
    if (settings) {
      const auto back = tempyra::alertSettingsFromJson(
          nlohmann::json::parse(tempyra::toJson(*settings).dump()));
      if (!back || !(*back == *settings)) std::abort();
    }
  }
  return 0;
}
