// The texts of /sys and /etc come from firmware, drivers and whoever captured a tree: every
// parser must hold up to any bytes, and what it makes of them must keep its promises.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "providers/linux/sys_parsers.h"
#include "providers/linux/sys_text.h"
#include "providers/linux/thermal_zones.h"

namespace {

// A clean text holds no control character and reads back unchanged.
void checkClean(const std::string& text) {
  for (const unsigned char c : text)
    if (c < 0x20 || c == 0x7F) __builtin_trap();
  if (tempyra::cleanText(text) != text) __builtin_trap();
}

// Trips as the thermal reader validates them, from bytes: kind, temperature, hysteresis, bound.
std::vector<tempyra::ThermalTrip> tripsFrom(std::string_view bytes) {
  std::vector<tempyra::ThermalTrip> trips;
  for (std::size_t i = 0; i + 4 <= bytes.size() && trips.size() < 12; i += 4) {
    tempyra::ThermalTrip trip;
    trip.index = static_cast<int>(trips.size());
    trip.kind = static_cast<tempyra::TripKind>(static_cast<unsigned char>(bytes[i]) % 4);
    trip.temp = 1 + (static_cast<unsigned char>(bytes[i + 1]) << 8 | static_cast<unsigned char>(bytes[i + 2])) * 3;
    trip.hysteresis = static_cast<unsigned char>(bytes[i + 3]) * 78;
    trip.bound = bytes[i] & 4;
    trips.push_back(trip);
  }
  return trips;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto cpus = tempyra::parseCpuList(text, 64)) {
    if (cpus->size() > 64) __builtin_trap();
  }
  (void)tempyra::parseUevent(text);
  (void)tempyra::osReleaseValue(text);
  checkClean(tempyra::cleanText(text));

  // Five DMI fields, one per line.
  std::vector<std::string> fields(5);
  std::size_t start = 0;
  for (auto& field : fields) {
    const auto end = std::min(text.find('\n', start), text.size());
    if (start < text.size()) field = tempyra::cleanText(text.substr(start, end - start));
    start = end + 1;
  }
  if (const auto model = tempyra::modelName({fields[0], fields[1], fields[2], fields[3], fields[4]}))
    if (model->empty()) __builtin_trap();

  // A zone's level stays within 0-3; hysteresis only ever holds a level the zone was at.
  if (size >= 3) {
    const std::int64_t t = (data[0] << 8 | data[1]) * 4 - 40000;
    const int previous = data[2] % 5 - 1;
    const auto trips = tripsFrom(text.substr(3));
    const int raw = tempyra::zoneLevel(trips, t);
    const int held = tempyra::zoneLevel(trips, t, previous);
    if (raw < 0 || raw > 3 || held < raw || held > std::max(raw, previous)) __builtin_trap();
  }
  return 0;
}
