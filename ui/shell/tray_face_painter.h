#pragma once
// Draws a TrayFace: a filled badge in the state's colour with a darker rim, holding the
// thermometer (a question mark for an unknown state) or the figure with its unit, and the
// state's gauge, in the ink colour that contrasts with the fill.
#include <QImage>

#include <array>

#include "ui/logic/tray_face.h"

namespace tempyra {

// The sizes tray hosts ask for, from small panels to twice-scaled ones.
inline constexpr std::array<int, 7> kTrayIconSizes = {16, 22, 24, 32, 44, 48, 64};

// A square image `pixels` wide.
QImage paintTrayFace(const TrayFace& face, int pixels);

}  // namespace tempyra
