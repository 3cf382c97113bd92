import QtQuick
import QtQuick.Controls
import Tempyra.Ui

// An on/off switch drawn like the cards: a pill in the accent colour when on, with a focus ring
// that stands out in both appearances.
Switch {
    id: control
    font.pixelSize: 13
    hoverEnabled: true
    spacing: 10
    opacity: enabled ? 1 : 0.55

    indicator: Rectangle {
        implicitWidth: 36
        implicitHeight: 20
        x: control.leftPadding
        y: (control.height - height) / 2
        radius: 10
        color: control.checked ? Ui.theme.accent
             : Ui.theme.dark ? Qt.lighter(Ui.theme.separator, control.hovered ? 1.3 : 1.15)
             : Qt.darker(Ui.theme.separator, control.hovered ? 1.15 : 1.05)
        Rectangle {
            x: control.checked ? parent.width - width - 2 : 2
            y: 2
            width: 16
            height: 16
            radius: 8
            color: control.down ? "#e8e8ec" : "#ffffff"
            Behavior on x { NumberAnimation { duration: 100 } }
        }
        FocusRing { shown: control.visualFocus; radius: 12 }
    }
    contentItem: Text {
        leftPadding: control.indicator.width + control.spacing
        text: control.text
        font: control.font
        // The window's palette gives the disabled colour, like every other control.
        color: control.palette.windowText
        verticalAlignment: Text.AlignVCenter
        horizontalAlignment: Text.AlignLeft
        wrapMode: Text.WordWrap
    }
}
