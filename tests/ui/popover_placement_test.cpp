// The popover beside the tray: every panel edge at 1x, 1.5x and 2x, with the icon's geometry
// and with the point a host sends, whether or not the window manager reserves the panel's room.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/logic/popover_placement.h"

namespace tempyra {
namespace {

constexpr int kPanel = 28, kIcon = 22, kWidth = 360, kHeight = 420, m = kPopoverMargin;

struct Desk {
  PlacementScreen screen;
  PlacementRect panel;  // where the panel is drawn
  PlacementRect icon;   // centred across the panel, 60 pixels from its far end
};

// A 1920 x 1080 device-pixel screen with a panel along `edge`.
Desk desk(PanelEdge edge, double scale, bool reserved) {
  const int w = static_cast<int>(1920 / scale), h = static_cast<int>(1080 / scale);
  const int inset = (kPanel - kIcon) / 2;
  Desk d{{{0, 0, w, h}, {0, 0, w, h}, scale}, {}, {}};
  PlacementRect& a = d.screen.available;
  switch (edge) {
    case PanelEdge::top:
      d.panel = {0, 0, w, kPanel};
      d.icon = {w - 60, inset, kIcon, kIcon};
      if (reserved) a = {0, kPanel, w, h - kPanel};
      break;
    case PanelEdge::bottom:
      d.panel = {0, h - kPanel, w, kPanel};
      d.icon = {w - 60, h - kPanel + inset, kIcon, kIcon};
      if (reserved) a = {0, 0, w, h - kPanel};
      break;
    case PanelEdge::left:
      d.panel = {0, 0, kPanel, h};
      d.icon = {inset, h - 60, kIcon, kIcon};
      if (reserved) a = {kPanel, 0, w - kPanel, h};
      break;
    case PanelEdge::right:
      d.panel = {w - kPanel, 0, kPanel, h};
      d.icon = {w - kPanel + inset, 60, kIcon, kIcon};
      if (reserved) a = {0, 0, w - kPanel, h};
      break;
  }
  return d;
}

bool overlaps(const PlacementRect& a, const PlacementRect& b) {
  return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

// The gap between the popover and the panel, across the panel.
int gap(PanelEdge edge, const PlacementRect& p, const PlacementRect& panel) {
  switch (edge) {
    case PanelEdge::top: return p.y - panel.bottom();
    case PanelEdge::bottom: return panel.y - p.bottom();
    case PanelEdge::left: return p.x - panel.right();
    case PanelEdge::right: break;
  }
  return panel.x - p.right();
}

TEST(PopoverPlacement, BesideThePanelOnEveryEdgeAndScale) {
  const char* names[] = {"top", "bottom", "left", "right"};
  for (PanelEdge edge : {PanelEdge::top, PanelEdge::bottom, PanelEdge::left, PanelEdge::right}) {
    for (double scale : {1.0, 1.5, 2.0}) {
      for (bool reserved : {true, false}) {
        const Desk d = desk(edge, scale, reserved);
        // A click off the icon's centre, in device pixels as the host reports it.
        const PlacementPoint device{static_cast<int>((d.icon.x + 5) * scale),
                                    static_cast<int>((d.icon.y + 4) * scale)};
        const auto clicked = fromDevicePixels(device, std::span(&d.screen, 1));
        ASSERT_TRUE(clicked);
        const PlacementRect point{clicked->second.x, clicked->second.y, 0, 0};
        for (const PlacementRect& anchor : {d.icon, point}) {
          const std::string what = std::string(names[static_cast<int>(edge)]) + " at " +
                                   std::to_string(scale) + (reserved ? " reserved" : "") +
                                   (anchor.width ? " icon" : " point");
          EXPECT_EQ(panelEdge(anchor, d.screen), edge) << what;
          const PlacementPoint at = placePopover(anchor, d.screen, kWidth, kHeight);
          const PlacementRect p{at.x, at.y, kWidth, kHeight};
          const PlacementRect& a = d.screen.available;
          EXPECT_FALSE(overlaps(p, d.panel)) << what;
          EXPECT_GE(gap(edge, p, d.panel), m / 2) << what;
          EXPECT_LE(gap(edge, p, d.panel), m + (anchor.width ? kIcon / 2 : kIcon)) << what;
          EXPECT_TRUE(p.x >= a.x + m && p.right() <= a.right() - m && p.y >= a.y + m &&
                      p.bottom() <= a.bottom() - m)
              << what;
          // Along the panel the popover spans the icon.
          const bool horizontal = edge == PanelEdge::top || edge == PanelEdge::bottom;
          const int c = horizontal ? d.icon.x + kIcon / 2 : d.icon.y + kIcon / 2;
          EXPECT_TRUE(horizontal ? (c > p.x && c < p.right()) : (c > p.y && c < p.bottom()))
              << what;
        }
      }
    }
  }
}

TEST(PopoverPlacement, ExactPositions) {
  const PlacementScreen plain{{0, 0, 1920, 1080}, {0, 0, 1920, 1080}, 1};
  const PlacementScreen topBar{{0, 0, 1920, 1080}, {0, 28, 1920, 1052}, 1};
  struct Case {
    const char* what;
    PlacementScreen screen;
    std::optional<PlacementRect> anchor;
    PlacementPoint expected;
  };
  const Case cases[] = {
      {"icon in the middle of a top panel: centred below it", plain, PlacementRect{900, 3, 22, 22},
       {911 - kWidth / 2, 28 + m}},
      {"a point on a 28-pixel top panel clears it", plain, PlacementRect{1200, 12, 0, 0},
       {1200 - kWidth / 2, 36 + m}},
      {"a point at the icon's top edge clears a panel that reserves no room", plain,
       PlacementRect{1200, 4, 0, 0}, {1200 - kWidth / 2, 28 + m}},
      {"nothing known, top strip reserved: below it at the right end", topBar, std::nullopt,
       {1920 - kWidth - m, 28 + m}},
      {"nothing known at all: below a panel of common thickness", plain, std::nullopt,
       {1920 - kWidth - m, 32 + m}},
      {"icon in the top-left corner of a top panel: not taken for a left panel", plain,
       PlacementRect{2, 3, 22, 22}, {m, 28 + m}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(placePopover(c.anchor, c.screen, kWidth, kHeight), c.expected) << c.what;
  }
}

TEST(PopoverPlacement, DevicePixelsFindTheirScreen) {
  // A 2x laptop screen and a 1x screen to its right, both starting at their device corner.
  const std::vector<PlacementScreen> screens = {
      {{0, 0, 1440, 900}, {0, 0, 1440, 900}, 2}, {{2880, 0, 1920, 1080}, {2880, 0, 1920, 1080}, 1}};
  using Found = std::optional<std::pair<std::size_t, PlacementPoint>>;
  EXPECT_EQ(fromDevicePixels({2800, 20}, screens), (Found{{0, {1400, 10}}}));
  EXPECT_EQ(fromDevicePixels({3000, 20}, screens), (Found{{1, {3000, 20}}}));
  EXPECT_EQ(fromDevicePixels({-5, 20}, screens), std::nullopt);
  // An icon at an odd device row keeps every pixel it covers (its centre with it).
  EXPECT_EQ(rectFromDevicePixels(PlacementRect{1417, 873, 22, 26}, screens),
            (PlacementRect{708, 436, 12, 14}));
  EXPECT_EQ(rectFromDevicePixels(PlacementRect{2890, 10, 22, 22}, screens),
            (PlacementRect{2890, 10, 22, 22}));
  EXPECT_EQ(rectFromDevicePixels(PlacementRect{2870, 10, 22, 22}, screens), std::nullopt);
}

}  // namespace
}  // namespace tempyra
