import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tempyra.Ui

// The popover's content: 360 points wide, 20-point margin, 14 points between items. Texts that
// may be empty set their alignment: Qt 6.4 otherwise asks for the keyboard's direction when it
// lays out an empty text, and crashes on a seat without a keyboard.
Rectangle {
    id: root
    readonly property PopoverModel v: Ui.popover
    width: 360
    implicitHeight: column.implicitHeight + 40
    color: Ui.theme.window

    ColumnLayout {
        id: column
        x: 20
        y: 20
        width: root.width - 40
        spacing: 14

        RowLayout {
            spacing: 6
            Symbol { name: "thermometer.medium"; size: 18 }
            Heading { text: Ui.texts.product; Layout.fillWidth: false }
        }
        RowLayout {
            spacing: 8
            Dot { objectName: "stateDot"; tint: root.v.tint; size: 10 }
            Text {
                objectName: "stateTitle"
                text: root.v.stateTitle
                color: Ui.theme.text
                font.pixelSize: 20
                font.bold: true
                Layout.fillWidth: true
                wrapMode: Text.WordWrap
            }
        }
        Body { objectName: "explanation"; text: root.v.explanation }
        ColumnLayout {
            objectName: "readingLines"
            visible: root.v.hasReading
            Layout.fillWidth: true
            spacing: 6
            Body {
                objectName: "cpuLine"
                text: root.v.cpuLine
                horizontalAlignment: Text.AlignLeft
            }
            Repeater {
                objectName: "sensorLines"
                model: root.v.sensorLines
                Body {
                    required property string modelData
                    text: modelData
                    horizontalAlignment: Text.AlignLeft
                }
            }
            Caption {
                objectName: "powerLine"
                text: root.v.powerLine
                horizontalAlignment: Text.AlignLeft
            }
            Caption {
                objectName: "activityLine"
                visible: text.length > 0
                text: root.v.activityLine
                color: Ui.theme.text
                horizontalAlignment: Text.AlignLeft
            }
        }
        Caption { objectName: "lastEvent"; text: root.v.lastEvent; color: Ui.theme.text }
        Divider {}
        RowLayout {
            spacing: 8
            Button {
                objectName: "openDetails"
                text: Ui.texts.openDetails
                onClicked: root.v.openDetails()
            }
            Button {
                objectName: "pauseButton"
                text: root.v.pauseLabel
                onClicked: root.v.togglePause()
            }
        }
        RowLayout {
            Layout.fillWidth: true
            Button {
                objectName: "snoozeButton"
                text: Ui.texts.snoozeAlerts
                flat: true
                font.pixelSize: 11
                onClicked: root.v.snooze()
            }
            Item { Layout.fillWidth: true }
            Button {
                objectName: "quitButton"
                text: Ui.texts.quit
                flat: true
                font.pixelSize: 11
                onClicked: root.v.quit()
            }
        }
    }
}
