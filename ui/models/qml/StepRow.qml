import QtQuick
import Tempyra.Ui

// One numbered instruction: the number in a tinted circle, then the wrapping text.
Item {
    id: row
    property int number: 1
    property string text: ""
    height: Math.max(badge.height, label.implicitHeight)
    Accessible.name: "Step " + number + ". " + text
    Rectangle {
        id: badge
        width: 20
        height: 20
        radius: 10
        color: Qt.rgba(Ui.theme.accent.r, Ui.theme.accent.g, Ui.theme.accent.b, 0.18)
        Text {
            horizontalAlignment: Text.AlignLeft
            anchors.centerIn: parent
            text: row.number
            color: Ui.theme.accent
            font.pixelSize: 11
            font.bold: true
        }
    }
    Text {
        horizontalAlignment: Text.AlignLeft
        id: label
        x: 28
        y: 2
        width: Math.max(0, row.width - 28)
        text: row.text
        color: Ui.theme.text
        font.pixelSize: 13
        wrapMode: Text.WordWrap
    }
}
