#include "app/away_summary.h"

#include <gtest/gtest.h>

namespace tempyra {
namespace {

Episode episode(double start, double end, ThermalState highest,
                std::vector<Episode::Process> processes = {}) {
  return {start, end, highest, {}, {}, {}, {}, {}, std::move(processes), false};
}

TEST(AwaySummary, SumsUpOnlyAfterAnHourAwayWithEpisodes) {
  const std::vector<Episode> two = {
      episode(5000, 5600, ThermalState::serious, {{"chrome", 100, 16}, {"ffmpeg", 90, 15}}),
      episode(2000, 2960, ThermalState::fair, {{"ffmpeg", 400, 41}})};
  const struct {
    std::optional<double> lastSeen;
    double now;
    std::vector<Episode> episodes;
    std::optional<AwaySummary> expected;
  } cases[] = {
      {std::nullopt, 9000, two, std::nullopt},           // never seen before
      {9000 - 3599, 9000, two, std::nullopt},            // under an hour
      {9000 - 3600, 9000, {}, std::nullopt},             // nothing happened
      {9000 - 3600, 9000, two, AwaySummary{2, 1560, ThermalState::serious, "ffmpeg"}},
      {1000, 9000, {episode(2000, 2000, ThermalState::critical)},
       AwaySummary{1, 0, ThermalState::critical, ""}},   // no process observed
  };
  for (const auto& c : cases) EXPECT_EQ(awaySummary(c.lastSeen, c.now, c.episodes), c.expected);
}

}  // namespace
}  // namespace tempyra
