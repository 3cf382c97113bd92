import QtQuick
import QtQuick.Controls
import Tempyra.Ui

// A drop-down drawn like the buttons. Screen readers know it by `label`, not by its value.
ComboBox {
    id: control
    property string label: ""
    font.pixelSize: 13
    hoverEnabled: true
    leftPadding: 12
    rightPadding: 30
    Accessible.name: label
    Accessible.description: displayText
    opacity: enabled ? 1 : 0.55

    contentItem: Text {
        text: control.displayText
        font: control.font
        color: control.enabled ? Ui.theme.text : Ui.theme.secondary
        verticalAlignment: Text.AlignVCenter
        horizontalAlignment: Text.AlignLeft
        elide: Text.ElideRight
    }
    indicator: Text {
        x: control.width - width - 12
        y: (control.height - height) / 2
        text: "\u25BE"
        font.pixelSize: 13
        horizontalAlignment: Text.AlignHCenter
        color: Ui.theme.secondary
    }
    background: Rectangle {
        implicitWidth: 140
        implicitHeight: 30
        radius: 8
        color: control.down ? (Ui.theme.dark ? Qt.lighter(Ui.theme.button, 1.25) : Qt.darker(Ui.theme.button, 1.12))
             : control.hovered ? (Ui.theme.dark ? Qt.lighter(Ui.theme.button, 1.12) : Qt.darker(Ui.theme.button, 1.05))
             : Ui.theme.button
        border.color: control.popup.visible ? Ui.theme.accent : Ui.theme.separator
        border.width: 1
        FocusRing { shown: control.visualFocus; radius: 10 }
    }
    popup.background: Rectangle {
        color: Ui.theme.panel
        radius: 8
        border.color: Ui.theme.separator
    }
}
