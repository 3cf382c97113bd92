#include "core/platform_words.h"

#include <string>

#include <gtest/gtest.h>

namespace tempyra {
namespace {

using W = PlatformWord;

// A few of the product's own words pin the macOS column; every row is checked on Linux.
const std::pair<W, const char*> kPinned[] = {
    {W::nominalExplanation, "macOS reports normal thermal pressure."},
    {W::overviewSubtitle, "Your Mac’s thermal pressure, explained."},
    {W::loginNeedsApproval, "Needs approval in System Settings"},
    {W::cpuLimitsLabel, "Intel CPU limits"},
};

TEST(PlatformWords, MacosKeepsTheProductsTextAndLinuxNamesNothingOfIt) {
  for (const auto& [word, text] : kPinned) EXPECT_EQ(platformWord(word, TextPlatform::macos), text);
  for (int i = 0; i < kPlatformWordCount; ++i) {
    const auto word = static_cast<W>(i);
    const std::string_view onMac = platformWord(word, TextPlatform::macos);
    const std::string onLinux(platformWord(word, TextPlatform::linuxDesktop));
    ASSERT_FALSE(onMac.empty() || onLinux.empty()) << i;
    // Sentences stay sentences and the openings of longer texts still end in a blank.
    if (onMac.back() == '.' || onMac.back() == ' ') {
      EXPECT_EQ(onLinux.back(), onMac.back()) << onLinux;
    }
    for (const char* claim : {"Mac", "Apple", "SMC", "System Settings", "menu bar", "menu-bar",
                              "Menu Bar", "Intel"}) {
      EXPECT_EQ(onLinux.find(claim), std::string::npos) << onLinux;
    }
  }
}

}  // namespace
}  // namespace tempyra
