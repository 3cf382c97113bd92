import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

// One sidebar row: symbol, name (medium weight when selected), optional count. Reached with
// Tab and pressed with Space or Return like a button.
Rectangle {
    id: label
    property string name: ""
    property string symbol: ""
    property bool selected: false
    property int count: -1
    signal clicked()
    implicitHeight: 32
    radius: 6
    color: selected ? Ui.theme.selection : "transparent"
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: name
    Accessible.onPressAction: label.clicked()
    Keys.onSpacePressed: label.clicked()
    Keys.onReturnPressed: label.clicked()
    Keys.onEnterPressed: label.clicked()

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 8
        anchors.rightMargin: 8
        spacing: 8
        Item {
            Layout.preferredWidth: 20
            Layout.preferredHeight: 20
            Symbol { anchors.centerIn: parent; name: label.symbol; size: 16 }
        }
        Text {
            horizontalAlignment: Text.AlignLeft
            text: label.name
            color: Ui.theme.text
            font.pixelSize: 13
            font.weight: label.selected ? Font.Medium : Font.Normal
            Layout.fillWidth: true
            elide: Text.ElideRight
        }
        Caption {
            visible: label.count >= 0
            text: label.count
            Layout.fillWidth: false
        }
    }
    MouseArea {
        anchors.fill: parent
        cursorShape: Qt.PointingHandCursor
        onClicked: label.clicked()
    }
    FocusRing { shown: label.activeFocus; anchors.margins: 1 }
}
