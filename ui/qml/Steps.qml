import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

// The page's numbered instructions, shown while the steps switch is on.
ColumnLayout {
    id: steps
    property var steps: []
    property bool shown: true
    visible: shown
    Layout.fillWidth: true
    spacing: 6
    Repeater {
        model: steps.steps
        RowLayout {
            required property string modelData
            required property int index
            Layout.fillWidth: true
            spacing: 8
            Accessible.name: "Step " + (index + 1) + ". " + modelData
            Rectangle {
                width: 20
                height: 20
                radius: 10
                color: Qt.rgba(Ui.theme.accent.r, Ui.theme.accent.g, Ui.theme.accent.b, 0.18)
                Text {
                    anchors.centerIn: parent
                    text: index + 1
                    color: Ui.theme.accent
                    font.pixelSize: 11
                    font.bold: true
                }
            }
            Body { text: modelData }
        }
    }
}
