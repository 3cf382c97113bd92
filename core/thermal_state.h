#pragma once
// The operating system's thermal pressure level. The raw values are stored in the history
// database and in every reading's JSON, so they never change.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tempyra {

enum class ThermalState : int { nominal = 0, fair = 1, serious = 2, critical = 3, unknown = 4 };

// Every case in raw-value order, nominal first and unknown last.
inline constexpr std::array<ThermalState, 5> kAllThermalStates = {
    ThermalState::nominal, ThermalState::fair, ThermalState::serious, ThermalState::critical,
    ThermalState::unknown};

constexpr int rawValue(ThermalState s) { return static_cast<int>(s); }

// A case only for 0 to 4; nothing for any other integer.
std::optional<ThermalState> thermalStateFromRaw(std::int64_t raw);

// Display title: "Nominal", "Fair", "Serious", "Critical", "Unknown".
const std::string& title(ThermalState s);

// One sentence that explains the state to the user.
const std::string& explanation(ThermalState s);

// serious or critical
constexpr bool isHot(ThermalState s) {
  return s == ThermalState::serious || s == ThermalState::critical;
}

}  // namespace tempyra
