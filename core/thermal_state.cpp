#include "core/thermal_state.h"

#include "core/platform_words.h"

namespace tempyra {

std::optional<ThermalState> thermalStateFromRaw(std::int64_t raw) {
  if (raw < 0 || raw > 4) return std::nullopt;
  return static_cast<ThermalState>(raw);
}

const std::string& title(ThermalState s) {
  static const std::array<std::string, 5> kTitles = {"Nominal", "Fair", "Serious", "Critical",
                                                     "Unknown"};
  return kTitles.at(static_cast<std::size_t>(rawValue(s)));
}

const std::string& explanation(ThermalState s) {
  static const std::array<std::string, 5> kExplanations = {
      std::string(platformWord(PlatformWord::nominalExplanation)),
      std::string(platformWord(PlatformWord::fairExplanation)),
      std::string(platformWord(PlatformWord::seriousExplanation)),
      std::string(platformWord(PlatformWord::criticalExplanation)),
      "The current thermal state is unavailable."};
  return kExplanations.at(static_cast<std::size_t>(rawValue(s)));
}

}  // namespace tempyra
