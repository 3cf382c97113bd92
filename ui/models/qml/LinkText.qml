import QtQuick
import Tempyra.Ui

// A plain link; opening it is always the user's choice.
Text {
    property string url: ""
    property string help: ""
    color: Ui.theme.accent
    font.pixelSize: 13
    font.underline: area.containsMouse
    Accessible.role: Accessible.Link
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: Ui.openLink(parent.url)
    }
    ToolTipArea { text: parent.help; shown: area.containsMouse && parent.help.length > 0 }
}
