import QtQuick
import QtQuick.Controls
import Tempyra.Ui

// A quiet command drawn like a link (the accent colour, underlined under the pointer and the
// keyboard), with the focus ring of every other control. Pressed with the mouse or Space.
Button {
    id: control
    font.pixelSize: 11
    leftPadding: 4
    rightPadding: 4
    topPadding: 3
    bottomPadding: 3
    hoverEnabled: true
    Accessible.name: text
    opacity: enabled ? 1 : 0.55

    contentItem: Text {
        text: control.text
        font.pixelSize: control.font.pixelSize
        font.underline: control.hovered || control.visualFocus
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        color: control.down ? (Ui.theme.dark ? Qt.lighter(Ui.theme.accent, 1.25)
                                             : Qt.darker(Ui.theme.accent, 1.25))
                            : Ui.theme.accent
    }
    background: Item {
        implicitWidth: 24
        implicitHeight: 20
        FocusRing { shown: control.visualFocus; radius: 4 }
    }
}
