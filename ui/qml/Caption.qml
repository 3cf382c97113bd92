import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

// Caption-sized text, secondary colour unless told otherwise.
Text {
    Layout.fillWidth: true
    color: Ui.theme.secondary
    font.pixelSize: 11
    wrapMode: Text.WordWrap
}
