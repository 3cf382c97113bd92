#pragma once
// How long an observation describes the machine.

namespace tempyra {

// Greatest age in seconds at which a reading, or one of its values, is still current.
inline constexpr double kFreshness = 95;

}  // namespace tempyra
