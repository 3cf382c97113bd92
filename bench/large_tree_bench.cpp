// The cost of one live sample on generated machine trees: 1,000 hwmon channels and 100 thermal
// zones (the large tree), and a tenth and a fifth of it. A reading shows at most 256 sensors, so
// the large tree's sample is bounded while its discovery reads every channel; the two smaller
// trees show how the sample grows with the files it reads.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "providers/live_provider.h"

namespace {

double seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Tree {
  std::filesystem::path root;
  std::size_t files = 0;

  void write(const std::string& relative, const std::string& text) {
    std::filesystem::create_directories((root / relative).parent_path());
    std::ofstream(root / relative) << text;
    ++files;
  }
};

// `channels` temperatures on chips of ten, `zones` zones with three trips each.
Tree build(int channels, int zones) {
  std::string pattern = (std::filesystem::temp_directory_path() / "tempyra-bench-XXXXXX").string();
  Tree tree{::mkdtemp(pattern.data())};
  for (int c = 0; c < channels; ++c) {
    const std::string chip = "sys/class/hwmon/hwmon" + std::to_string(c / 10) + "/";
    if (c % 10 == 0) tree.write(chip + "name", c == 0 ? "coretemp\n" : "nct6798\n");
    const std::string n = std::to_string(c % 10 + 1);
    tree.write(chip + "temp" + n + "_label", c == 0 ? "Package id 0\n" : "AUXTIN" + n + "\n");
    tree.write(chip + "temp" + n + "_input", std::to_string(30000 + c) + "\n");
  }
  for (int z = 0; z < zones; ++z) {
    const std::string zone = "sys/class/thermal/thermal_zone" + std::to_string(z) + "/";
    tree.write(zone + "type", "acpitz\n");
    tree.write(zone + "temp", std::to_string(40000 + z) + "\n");
    const char* kinds[] = {"critical", "passive", "active"};
    for (int t = 0; t < 3; ++t) {
      const std::string trip = zone + "trip_point_" + std::to_string(t);
      tree.write(trip + "_type", std::string(kinds[t]) + "\n");
      tree.write(trip + "_temp", std::to_string(100000 - 10000 * t) + "\n");
      tree.write(trip + "_hyst", "2000\n");
    }
  }
  tree.write("proc/stat", "cpu  100 0 100 800\n");
  return tree;
}

struct Cost {
  double constructUs, sampleUs;
  std::size_t files;
};

Cost measure(int channels, int zones, int rounds) {
  Tree tree = build(channels, zones);
  double t0 = seconds();
  auto provider = tempyra::makeLiveProvider(tree.root);
  provider->sample(1, "bench", false);  // discovers every chip
  const double construct = seconds() - t0;
  t0 = seconds();
  for (int i = 0; i < rounds; ++i) provider->sample(2 + i, "bench", false);
  const double sample = (seconds() - t0) / rounds;
  std::filesystem::remove_all(tree.root);
  return {construct * 1e6, sample * 1e6, tree.files};
}

void print(const char* name, const Cost& cost) {
  std::printf("%s_files: %zu count\n", name, cost.files);
  std::printf("%s_first_sample: %.0f us\n", name, cost.constructUs);
  std::printf("%s_sample: %.0f us\n", name, cost.sampleUs);
  std::printf("%s_sample_per_file: %.3f us\n", name, cost.sampleUs / static_cast<double>(cost.files));
}

}  // namespace

int main() {
  const Cost tenth = measure(100, 10, 200);
  const Cost fifth = measure(200, 20, 100);
  const Cost large = measure(1000, 100, 50);
  print("tenth_tree", tenth);
  print("fifth_tree", fifth);
  print("large_tree", large);
  std::printf("fifth_over_tenth_sample_ratio: %.2f x\n", fifth.sampleUs / tenth.sampleUs);
  std::printf("large_over_tenth_first_sample_ratio: %.2f x\n", large.constructUs / tenth.constructUs);
  return 0;
}
