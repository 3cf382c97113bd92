import QtQuick
import Tempyra.Ui

// A plain link; opening it is always the user's choice. Reached with Tab, opened with Space
// or Return.
Text {
    id: link
    horizontalAlignment: Text.AlignLeft
    property string url: ""
    property string help: ""
    color: Ui.theme.accent
    font.pixelSize: 13
    font.underline: area.containsMouse || activeFocus
    activeFocusOnTab: true
    Accessible.role: Accessible.Link
    Accessible.name: text
    Accessible.onPressAction: Ui.openLink(link.url)
    Keys.onSpacePressed: Ui.openLink(link.url)
    Keys.onReturnPressed: Ui.openLink(link.url)
    Keys.onEnterPressed: Ui.openLink(link.url)
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: Ui.openLink(link.url)
    }
    ToolTipArea { text: link.help; shown: (area.containsMouse || link.activeFocus) && link.help.length > 0 }
    FocusRing { shown: link.activeFocus; radius: 3 }
}
