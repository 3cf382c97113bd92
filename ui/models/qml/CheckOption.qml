import QtQuick
import QtQuick.Controls
import Tempyra.Ui

// A check box drawn like the switches.
CheckBox {
    id: control
    font.pixelSize: 13
    hoverEnabled: true
    spacing: 8
    opacity: enabled ? 1 : 0.55

    indicator: Rectangle {
        implicitWidth: 18
        implicitHeight: 18
        x: control.leftPadding
        y: (control.height - height) / 2
        radius: 5
        color: control.checked ? Ui.theme.accent
             : control.hovered ? (Ui.theme.dark ? Qt.lighter(Ui.theme.button, 1.15) : Qt.darker(Ui.theme.button, 1.05))
             : Ui.theme.button
        border.color: control.checked ? Ui.theme.accent : Ui.theme.secondary
        border.width: 1
        Text {
            anchors.centerIn: parent
            visible: control.checked
            text: "\u2713"
            color: "#ffffff"
            font.pixelSize: 13
            font.bold: true
            horizontalAlignment: Text.AlignHCenter
        }
        FocusRing { shown: control.visualFocus; radius: 7 }
    }
    contentItem: Text {
        leftPadding: control.indicator.width + control.spacing
        text: control.text
        font: control.font
        color: control.palette.windowText
        verticalAlignment: Text.AlignVCenter
        horizontalAlignment: Text.AlignLeft
        wrapMode: Text.WordWrap
    }
}
