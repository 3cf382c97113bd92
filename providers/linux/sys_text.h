#pragma once
// Text helpers for the values the kernel writes in /proc and /sys.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tempyra {

// A decimal integer with nothing around it but whitespace (and an optional '+'); absent for
// malformed or out-of-range text.
std::optional<std::int64_t> parseInteger(std::string_view text);

std::string_view trimRight(std::string_view text);
std::string_view trim(std::string_view text);

// Text fit to show on one line: control characters dropped, invalid UTF-8 replaced by U+FFFD,
// surrounding whitespace trimmed. Firmware strings and driver labels may hold any bytes.
std::string cleanText(std::string_view text);

// Names with runs of digits compared by value: "hwmon2" before "hwmon10".
bool naturalLess(const std::string& a, const std::string& b);

// prefix + decimal n + suffix ("fan" 2 "_input" -> "fan2_input").
std::string numbered(std::string_view prefix, std::int64_t n, std::string_view suffix = {});

// "temp12_input" -> 12 for prefix "temp" and suffix "_input"; absent when the name does not
// match (the part between must be decimal digits, below 100000).
std::optional<int> channelNumber(std::string_view name, std::string_view prefix,
                                 std::string_view suffix = {});

// "0000:01:00.0": a PCI function's bus address (domain, bus, device, function).
bool pciAddress(std::string_view text);

// Degrees Celsius for messages: "99 °C", "−44 °C", "36.5 °C".
std::string celsiusText(double celsius);

}  // namespace tempyra
