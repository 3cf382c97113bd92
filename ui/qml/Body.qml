import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

// Callout-sized text that wraps, never truncates.
Text {
    Layout.fillWidth: true
    color: Ui.theme.text
    font.pixelSize: 13
    wrapMode: Text.WordWrap
}
