#include "ui/logic/popover_placement.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tempyra {

namespace {

// A clicked point lies somewhere on the icon, so the panel reaches at least this far beyond it.
constexpr int kIconReach = 24;
// A panel that reserves no room and that no anchor shows is taken to be this thick.
constexpr int kUnseenPanel = 32;

int clampInto(int value, int low, int high) { return std::max(low, std::min(value, high)); }

// How far each edge's reserved strip reaches into the screen, in PanelEdge order.
std::array<int, 4> strips(const PlacementScreen& s) {
  const PlacementRect& g = s.geometry;
  const PlacementRect& a = s.available;
  return {std::max(0, a.y - g.y), std::max(0, g.bottom() - a.bottom()),
          std::max(0, a.x - g.x), std::max(0, g.right() - a.right())};
}

PlacementPoint centre(const PlacementRect& r) { return {r.x + r.width / 2, r.y + r.height / 2}; }

// The distance from the screen edge to `p`.
int depth(PanelEdge edge, PlacementPoint p, const PlacementRect& g) {
  switch (edge) {
    case PanelEdge::top: return p.y - g.y;
    case PanelEdge::bottom: return g.bottom() - p.y;
    case PanelEdge::left: return p.x - g.x;
    case PanelEdge::right: break;
  }
  return g.right() - p.x;
}

}  // namespace

std::optional<std::pair<std::size_t, PlacementPoint>> fromDevicePixels(
    PlacementPoint device, std::span<const PlacementScreen> screens) {
  for (std::size_t i = 0; i < screens.size(); ++i) {
    const PlacementRect& g = screens[i].geometry;
    const double scale = screens[i].scale > 0 ? screens[i].scale : 1;
    const double dx = device.x - g.x, dy = device.y - g.y;
    if (dx < 0 || dy < 0 || dx >= g.width * scale || dy >= g.height * scale) continue;
    return std::pair{i, PlacementPoint{g.x + static_cast<int>(std::floor(dx / scale)),
                                       g.y + static_cast<int>(std::floor(dy / scale))}};
  }
  return std::nullopt;
}

std::optional<PlacementRect> rectFromDevicePixels(PlacementRect device,
                                                  std::span<const PlacementScreen> screens) {
  if (device.width <= 0 || device.height <= 0) return std::nullopt;
  const auto first = fromDevicePixels(PlacementPoint{device.x, device.y}, screens);
  const auto last =
      fromDevicePixels(PlacementPoint{device.right() - 1, device.bottom() - 1}, screens);
  if (!first || !last || first->first != last->first) return std::nullopt;
  const PlacementPoint a = first->second, b = last->second;
  return PlacementRect{a.x, a.y, b.x - a.x + 1, b.y - a.y + 1};
}

PanelEdge panelEdge(const std::optional<PlacementRect>& anchor, const PlacementScreen& screen) {
  const std::array<int, 4> strip = strips(screen);
  constexpr std::array<PanelEdge, 4> edges = {PanelEdge::top, PanelEdge::bottom, PanelEdge::left,
                                              PanelEdge::right};
  if (!anchor) {
    const auto widest = std::max_element(strip.begin(), strip.end());
    return *widest > 0 ? edges[widest - strip.begin()] : PanelEdge::top;
  }
  const PlacementPoint c = centre(*anchor);
  std::array<int, 4> d{};
  for (std::size_t i = 0; i < edges.size(); ++i) {
    d[i] = depth(edges[i], c, screen.geometry);
    if (strip[i] > 0 && d[i] >= 0 && d[i] < strip[i]) return edges[i];
  }
  // Panels along the top or bottom are the common ones: an icon in a corner belongs to them.
  const PanelEdge across = d[1] < d[0] ? PanelEdge::bottom : PanelEdge::top;
  const PanelEdge side = d[3] < d[2] ? PanelEdge::right : PanelEdge::left;
  const int acrossDepth = std::min(d[0], d[1]), sideDepth = std::min(d[2], d[3]);
  return 2 * sideDepth < acrossDepth ? side : across;
}

PlacementPoint placePopover(const std::optional<PlacementRect>& anchor,
                            const PlacementScreen& screen, int width, int height) {
  const int m = kPopoverMargin;
  const PlacementRect& g = screen.geometry;
  const PlacementRect& a = screen.available;
  const PanelEdge edge = panelEdge(anchor, screen);
  const int strip = strips(screen)[static_cast<std::size_t>(edge)];

  // How far the panel reaches from the screen edge.
  int panel = strip > 0 ? strip : kUnseenPanel;
  PlacementPoint c{a.right(), a.bottom()};  // no anchor: the panel's far end
  if (anchor) {
    c = centre(*anchor);
    const int d = depth(edge, c, g);
    const bool point = anchor->width <= 0 || anchor->height <= 0;
    panel = std::max({strip, 2 * d, point ? d + kIconReach : 0});
  }

  // Along the panel: centred on the anchor, inside the available area.
  const bool horizontal = edge == PanelEdge::top || edge == PanelEdge::bottom;
  PlacementPoint p;
  if (horizontal) {
    p.x = clampInto(c.x - width / 2, a.x + m, std::max(a.x + m, a.right() - m - width));
  } else {
    p.y = clampInto(c.y - height / 2, a.y + m, std::max(a.y + m, a.bottom() - m - height));
  }
  // Across it: just off the panel, which keeps it inside the available area on that side.
  switch (edge) {
    case PanelEdge::top: p.y = std::max(g.y + panel, a.y) + m; break;
    case PanelEdge::bottom: p.y = std::min(g.bottom() - panel, a.bottom()) - m - height; break;
    case PanelEdge::left: p.x = std::max(g.x + panel, a.x) + m; break;
    case PanelEdge::right: p.x = std::min(g.right() - panel, a.right()) - m - width; break;
  }
  return p;
}

}  // namespace tempyra
