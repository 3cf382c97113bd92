import QtQuick
import Tempyra.Ui

// The keyboard focus outline of our own controls, drawn around the parent while `shown`. A gap
// of the background lies between the ring and the control, so the ring stands out against the
// window or card even around an accent-coloured button.
Rectangle {
    objectName: "focusRing"
    property bool shown: false
    anchors.fill: parent
    anchors.margins: -4
    radius: 6
    color: "transparent"
    border.color: Ui.theme.accent
    border.width: 2
    visible: shown
}
