import QtQuick
import Tempyra.Ui

WrappingText {
    color: Ui.theme.text
    font.pixelSize: 15
    font.bold: true
}
