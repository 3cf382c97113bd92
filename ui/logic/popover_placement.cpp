#include "ui/logic/popover_placement.h"

#include <algorithm>

namespace tempyra {

namespace {

int clampInto(int value, int low, int length, int size) {
  // When the popover does not fit, the leading edge wins so the header stays visible.
  return std::max(low, std::min(value, low + length - size));
}

}  // namespace

PlacementPoint placePopover(const std::optional<PlacementRect>& icon,
                            const PlacementRect& available, int width, int height) {
  const int m = kPopoverMargin;
  PlacementPoint p;
  if (!icon || icon->empty()) {
    p = {available.x + available.width - width - m, available.y + m};
  } else {
    const PlacementRect& r = *icon;
    const int cx = r.x + r.width / 2;
    const int cy = r.y + r.height / 2;
    // The panel lies along the screen edge nearest to the icon; open away from it.
    const int toTop = cy - available.y;
    const int toBottom = available.y + available.height - cy;
    const int toLeft = cx - available.x;
    const int toRight = available.x + available.width - cx;
    const int nearest = std::min({toTop, toBottom, toLeft, toRight});
    if (nearest == toTop) {
      p = {cx - width / 2, r.y + r.height + m};
    } else if (nearest == toBottom) {
      p = {cx - width / 2, r.y - height - m};
    } else if (nearest == toLeft) {
      p = {r.x + r.width + m, cy - height / 2};
    } else {
      p = {r.x - width - m, cy - height / 2};
    }
  }
  p.x = clampInto(p.x, available.x + m, available.width - 2 * m, width);
  p.y = clampInto(p.y, available.y + m, available.height - 2 * m, height);
  return p;
}

}  // namespace tempyra
