import QtQuick
import QtQuick.Controls
import Tempyra.Ui

// A push button drawn like the cards: rounded, in the theme's colours, with hover, pressed,
// disabled and keyboard-focus states. `highlighted` is the prominent default; `destructive`
// writes its label in red.
Button {
    id: control
    property bool destructive: false
    font.pixelSize: 13
    leftPadding: 14
    rightPadding: 14
    topPadding: 6
    bottomPadding: 6
    icon.width: 14
    icon.height: 14
    hoverEnabled: true
    Accessible.name: text
    opacity: enabled ? 1 : 0.55

    // The label (and its symbol) centred in whatever width the button is given.
    contentItem: Item {
        implicitWidth: children[0].implicitWidth
        implicitHeight: Math.max(18, children[0].implicitHeight)
        Row {
            anchors.centerIn: parent
            spacing: 6
            Image {
                anchors.verticalCenter: parent.verticalCenter
                source: control.icon.source
                visible: status === Image.Ready
                width: control.icon.width
                height: control.icon.height
                sourceSize.width: control.icon.width * 2
                sourceSize.height: control.icon.height * 2
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: control.text
                font: control.font
                horizontalAlignment: Text.AlignHCenter
                color: control.highlighted ? "#ffffff"
                     : control.destructive ? Ui.theme.destructive
                     : control.enabled ? Ui.theme.text : Ui.theme.secondary
            }
        }
    }
    background: Rectangle {
        implicitWidth: 72
        implicitHeight: 30
        radius: 8
        color: {
            const base = control.highlighted ? Ui.theme.accent : Ui.theme.button
            if (control.down)
                return Ui.theme.dark ? Qt.lighter(base, 1.25) : Qt.darker(base, 1.12)
            if (control.hovered)
                return Ui.theme.dark ? Qt.lighter(base, 1.12) : Qt.darker(base, 1.05)
            return base
        }
        border.color: control.highlighted ? Qt.darker(Ui.theme.accent, 1.1) : Ui.theme.separator
        border.width: 1
        FocusRing { shown: control.visualFocus; radius: 10 }
    }
}
