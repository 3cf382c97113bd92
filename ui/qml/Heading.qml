import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

Text {
    Layout.fillWidth: true
    color: Ui.theme.text
    font.pixelSize: 15
    font.bold: true
    wrapMode: Text.WordWrap
}
