import QtQuick
import Tempyra.Ui

// The keyboard focus outline of our own controls, drawn around the parent while `shown`.
Rectangle {
    objectName: "focusRing"
    property bool shown: false
    anchors.fill: parent
    anchors.margins: -2
    radius: 6
    color: "transparent"
    border.color: Ui.theme.accent
    border.width: 2
    visible: shown
}
