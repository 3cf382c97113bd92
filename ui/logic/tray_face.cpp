#include "ui/logic/tray_face.h"

#include <algorithm>
#include <cmath>

namespace tempyra {

namespace {

constexpr Rgb kLightInk{0xff, 0xff, 0xff};
constexpr Rgb kDarkInk{0x1c, 0x1c, 0x1e};

double luminance(Rgb c) {
  const auto linear = [](std::uint8_t v) {
    const double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

}  // namespace

TrayFace trayFace(const std::optional<Reading>& reading, MenuMode mode,
                  const ValueDisplay& display) {
  TrayFace face;
  if (!reading || display.stale) return face;
  face.slashed = false;
  face.tint = statusTint(false, reading->state);
  switch (reading->state) {
    case ThermalState::nominal: face.level = 1; break;
    case ThermalState::fair: face.level = 2; break;
    case ThermalState::serious: face.level = 3; break;
    case ThermalState::critical: face.level = 4; break;
    case ThermalState::unknown: break;
  }
  std::optional<double> value;
  const char* sign = "%";
  switch (mode) {
    case MenuMode::iconOnly:
    case MenuMode::thermalState: break;
    case MenuMode::cpuTemperature:
      sign = "\u00B0";
      for (const Metric& m : reading->sensors) {
        if (m.kind == MetricKind::cpuTemperature) {
          value = display.shownValue(m);
          break;
        }
      }
      break;
    case MenuMode::numerical:
    case MenuMode::mixed:
      // Like the title's figure: the load as published, the stale rule above covers its age.
      if (reading->cpu.value && std::isfinite(*reading->cpu.value)) value = reading->cpu.value;
      break;
  }
  if (value) {
    face.digits = whole(*value);
    face.figure = face.digits + sign;
  }
  return face;
}

std::string trayTitleGuide(MenuMode mode) {
  switch (mode) {
    case MenuMode::iconOnly: return "";
    case MenuMode::thermalState: return "Critical";
    case MenuMode::cpuTemperature: return "CPU Not available";
    case MenuMode::numerical: return "CPU 100%";
    case MenuMode::mixed: break;
  }
  return "Critical \u00B7 100% CPU";
}

Rgb trayBadgeColour(Tint tint) {
  switch (tint) {
    case Tint::green: return {0x28, 0xa7, 0x45};
    case Tint::yellow: return {0xe0, 0xb0, 0x00};
    case Tint::orange: return {0xf0, 0x7c, 0x00};
    case Tint::red: return {0xe0, 0x30, 0x28};
    case Tint::secondary:
    case Tint::grey: break;
  }
  return {0x8e, 0x8e, 0x93};
}

Rgb trayInkColour(Tint tint) {
  const Rgb fill = trayBadgeColour(tint);
  return contrastRatio(fill, kLightInk) >= contrastRatio(fill, kDarkInk) ? kLightInk : kDarkInk;
}

double contrastRatio(Rgb a, Rgb b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace tempyra
