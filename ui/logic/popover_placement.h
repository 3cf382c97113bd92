#pragma once
// Where the popover goes: beside the tray icon, off the panel the icon sits in, on the side
// facing away from the screen edge that panel lines, and inside the screen's available area.
// Plain integers in device-independent pixels so the rule is testable without a display.
#include <cstddef>
#include <optional>
#include <span>
#include <utility>

namespace tempyra {

struct PlacementRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  int right() const { return x + width; }
  int bottom() const { return y + height; }
  friend bool operator==(const PlacementRect&, const PlacementRect&) = default;
};

struct PlacementPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const PlacementPoint&, const PlacementPoint&) = default;
};

struct PlacementScreen {
  PlacementRect geometry;   // the whole screen
  PlacementRect available;  // without the panels that reserve room (the window manager's say)
  double scale = 1;         // device pixels per device-independent pixel: 1, 1.5, 2, …
};

enum class PanelEdge { top, bottom, left, right };

// Gap kept between the popover and the panel or the screen edge.
inline constexpr int kPopoverMargin = 8;

// The screen a point in device pixels (as tray hosts send the click) lies on, and the point in
// device-independent pixels. A screen keeps its top-left corner in both units and is `scale`
// times larger in device pixels. None when the point lies on no screen.
std::optional<std::pair<std::size_t, PlacementPoint>> fromDevicePixels(
    PlacementPoint device, std::span<const PlacementScreen> screens);
// A rectangle in device pixels (the X server's geometry of the tray icon) in device-independent
// pixels: the smallest one covering every device pixel of it. None unless it lies on one
// screen.
std::optional<PlacementRect> rectFromDevicePixels(PlacementRect device,
                                                  std::span<const PlacementScreen> screens);

// The edge the tray's panel lines. `anchor`: the icon's geometry, or the clicked point as a
// rectangle of no size; none when nothing is known. The edge whose reserved strip holds the
// anchor wins; otherwise the nearest edge, the side edges only when clearly nearer (an icon in a
// corner belongs to a top or bottom panel). Without an anchor:
// the edge with the widest reserved strip, the top when none is reserved.
PanelEdge panelEdge(const std::optional<PlacementRect>& anchor, const PlacementScreen& screen);

// Top-left corner for a popover of `width` x `height`. Across the panel it clears whichever is
// thicker: the reserved strip or the panel the anchor implies (an icon sits in the middle of its
// panel; a clicked point lies somewhere on an icon). Along the panel it is centred on the anchor (at the
// panel's far end without one) and kept inside the available area. Where it cannot fit, staying
// off the panel wins over the far edge.
PlacementPoint placePopover(const std::optional<PlacementRect>& anchor,
                            const PlacementScreen& screen, int width, int height);

}  // namespace tempyra
