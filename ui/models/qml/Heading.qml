import QtQuick
import Tempyra.Ui

// A card's title; screen readers list it as a heading.
WrappingText {
    Accessible.role: Accessible.Heading
    Accessible.name: text
    color: Ui.theme.text
    font.pixelSize: 15
    font.bold: true
}
