// Decoding stored readings: what a long history load pays per row on top of stepping through
// SQLite. 1,500 distinct readings of about 2.5 KB (13 sensor metrics, 8 processes), as a
// 30-day chart load returns them, decoded in rounds; the median round is reported per reading.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/model_json.h"

namespace {

using tempyra::Metric;
using tempyra::MetricKind;
using tempyra::PowerSource;
using tempyra::Reading;

Reading realistic(std::mt19937_64& rng, double at, int index) {
  std::uniform_real_distribution<double> uniform(0, 1);
  const auto round2 = [](double v) { return std::round(v * 100) / 100; };
  Reading r;
  r.timestamp = at;
  r.state = static_cast<tempyra::ThermalState>(index / 300 % 4);
  r.cpu = Metric(MetricKind::cpuLoad, "CPU load", round2(uniform(rng) * 100), "%",
                 "/proc/stat · interval average", at, "Measured");
  static const char* const kSensors[] = {"CPU package", "CPU core 0", "CPU core 1", "CPU core 2",
                                         "CPU core 3",  "GPU die",    "Memory",     "SSD",
                                         "Battery",     "Palm rest",  "Ambient"};
  for (const char* name : kSensors) {
    r.sensors.emplace_back(MetricKind::other, std::string(name) + " temperature",
                           round2(35 + uniform(rng) * 50), "°C", "hwmon · coretemp · temp_input",
                           at - uniform(rng), "Measured");
  }
  for (int fan = 1; fan <= 2; ++fan) {
    r.sensors.emplace_back(MetricKind::fan, "Fan " + std::to_string(fan),
                           std::round(1200 + uniform(rng) * 4000), "RPM",
                           "applesmc · F" + std::to_string(fan) + "Ac", at, "Measured");
  }
  r.power = {PowerSource::ac, std::round(40 + uniform(rng) * 60), index % 7 != 0, {}};
  for (int i = 0; i < 8; ++i) {
    r.activity.push_back({1000 + static_cast<int>(uniform(rng) * 30000),
                          "process-" + std::to_string(i), round2(uniform(rng) * 150)});
  }
  r.segment = "0D5C3A9E-1F2B-4C7D-A8E9-" + std::to_string(100000000000 + index / 500);
  return r;
}

}  // namespace

int main() {
  constexpr int kReadings = 1500;
  constexpr int kRounds = 41;
  std::mt19937_64 rng(20261206);
  std::vector<std::string> texts;
  double bytes = 0;
  for (int i = 0; i < kReadings; ++i) {
    texts.push_back(*tempyra::encodeJson(realistic(rng, 1796000000.0 + 30.0 * i, i)));
    bytes += static_cast<double>(texts.back().size());
  }

  std::vector<double> rounds;
  std::size_t decoded = 0;
  for (int round = 0; round <= kRounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& text : texts) {
      const auto reading = tempyra::decodeReading(text);
      decoded += reading ? reading->sensors.size() : 0;
    }
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (round > 0) rounds.push_back(took);  // the first round warms caches and allocators
  }
  std::sort(rounds.begin(), rounds.end());
  if (decoded != static_cast<std::size_t>(kReadings) * 13 * (kRounds + 1)) {
    std::fprintf(stderr, "a benchmark reading did not decode\n");
    return 1;
  }
  std::printf("reading_json_size: %.0f bytes\n", bytes / kReadings);
  std::printf("decode_reading: %.2f us\n", rounds[rounds.size() / 2] / kReadings * 1e6);
  std::printf("decode_30_day_load_1500: %.3f ms\n", rounds[rounds.size() / 2] * 1e3);
  return 0;
}
