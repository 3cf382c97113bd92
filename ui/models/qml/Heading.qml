import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

WrappingText {
    color: Ui.theme.text
    font.pixelSize: 15
    font.bold: true
}
