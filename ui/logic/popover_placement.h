#pragma once
// Where the popover goes: next to the tray icon, on the side facing away from the screen edge
// the icon sits on, and always inside the screen's available area. Plain integers in device
// independent pixels so the rule is testable without a display.
#include <optional>

namespace tempyra {

struct PlacementRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool empty() const { return width <= 0 || height <= 0; }
};

struct PlacementPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const PlacementPoint&, const PlacementPoint&) = default;
};

// Gap kept between the popover and the icon or the screen edge.
inline constexpr int kPopoverMargin = 8;

// Top-left corner for a popover of `width` x `height` inside `available` (the screen's area
// without panels). `icon` is the tray icon's global geometry; absent or empty (the tray host
// gave none) puts the popover in the top-right corner. A popover larger than the area is
// pinned to the area's top-left corner.
PlacementPoint placePopover(const std::optional<PlacementRect>& icon,
                            const PlacementRect& available, int width, int height);

}  // namespace tempyra
