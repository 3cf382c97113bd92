#pragma once
// What the tray icon shows, decided apart from drawing it: a badge in the state's colour holding
// the thermometer (slashed while nothing is current) or, in the value modes, a short figure
// with its unit, and under it a gauge of four steps that tells the state by its shape as well
// (one step nominal to four critical), so it reads without colour and on a grey panel.
// The badge colours are fixed, not the window scheme's: a panel may be light or dark whatever
// the app's own appearance, and the filled badge with its dark rim reads on both.
#include <cstdint>
#include <optional>
#include <string>

#include "app/preferences.h"
#include "core/reading.h"
#include "ui/logic/text_format.h"

namespace tempyra {

struct TrayFace {
  Tint tint = Tint::grey;
  bool slashed = true;  // nothing current: paused, asleep, waiting or an old reading
  // The gauge: 1 nominal, 2 fair, 3 serious, 4 critical; 0 none (nothing current, or the state
  // is unknown: then a question mark stands for the thermometer).
  int level = 0;
  // "74°" (CPU temperature in the chosen unit), "37%" (CPU load), always with its unit; empty:
  // the thermometer alone.
  std::string figure;
  // The figure's digits without the unit ("74", "100"): the unit is set smaller beside them.
  std::string digits;
  friend bool operator==(const TrayFace&, const TrayFace&) = default;
};

// "Icon only" and "Thermal state" draw no figure; "CPU temperature" the CPU temperature mean,
// "Numerical" and "Mixed" the CPU load, each only while the value is shown at all.
TrayFace trayFace(const std::optional<Reading>& reading, MenuMode mode,
                  const ValueDisplay& display);

// The widest title a mode can show, so a panel that reserves room for the text beside the icon
// does not jump as the value changes. Empty for icon only.
std::string trayTitleGuide(MenuMode mode);

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The badge's fill: green, yellow, orange, red for the states; one neutral grey for stale,
// waiting and unknown.
Rgb trayBadgeColour(Tint tint);
// The figure's and the glyph's colour on that badge: near-white or near-black, whichever
// contrasts more.
Rgb trayInkColour(Tint tint);
// The contrast ratio of two colours, 1 (none) to 21 (black on white).
double contrastRatio(Rgb a, Rgb b);

}  // namespace tempyra
