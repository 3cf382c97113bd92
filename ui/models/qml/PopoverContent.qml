import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

// The popover's content: 360 points wide, 20-point margin, 14 points between items, drawn with
// the dashboard's controls. Texts that may be empty set their alignment (Body and Caption do):
// Qt 6.4 otherwise asks for the keyboard's direction when it lays out an empty text, and
// crashes on a seat without a keyboard.
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
                // The thermal state, read out by its text.
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                horizontalAlignment: Text.AlignLeft
                text: root.v.stateTitle
                color: Ui.theme.text
                font.pixelSize: 20
                font.bold: true
                Layout.fillWidth: true
                wrapMode: Text.WordWrap
            }
        }
        Body { objectName: "explanation"; text: root.v.explanation }
        // A machine that shows little says so once, as the Overview does, and leads to Sensors.
        Rectangle {
            objectName: "littleToShow"
            visible: root.v.littleToShow.length > 0
            Layout.fillWidth: true
            implicitHeight: littleColumn.implicitHeight + 20
            radius: 8
            color: Ui.theme.panel
            border.color: Ui.theme.separator
            border.width: 1
            ColumnLayout {
                id: littleColumn
                anchors.fill: parent
                anchors.margins: 10
                spacing: 8
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 8
                    Symbol {
                        name: "info.circle"
                        tint: Ui.theme.secondary
                        size: 16
                        Layout.alignment: Qt.AlignTop
                    }
                    Body { objectName: "littleToShowText"; text: root.v.littleToShow }
                }
                ActionButton {
                    objectName: "openSensors"
                    text: Ui.texts.sensors
                    Layout.alignment: Qt.AlignRight
                    onClicked: {
                        Ui.dashboard.selectPage(DashboardModel.Sensors)
                        root.v.openDetails()
                    }
                }
            }
        }
        ColumnLayout {
            objectName: "readingLines"
            visible: root.v.hasReading
            Layout.fillWidth: true
            spacing: 6
            // Each metric line is one list item, its name and value together, as on the Overview.
            Body {
                objectName: "cpuLine"
                Accessible.role: Accessible.ListItem
                Accessible.name: text
                text: root.v.cpuLine
            }
            Repeater {
                objectName: "sensorLines"
                model: root.v.sensorLines
                Body {
                    required property string modelData
                    Accessible.role: Accessible.ListItem
                    Accessible.name: text
                    text: modelData
                }
            }
            Caption { objectName: "powerLine"; text: root.v.powerLine }
            Caption {
                objectName: "activityLine"
                visible: text.length > 0
                text: root.v.activityLine
                color: Ui.theme.text
            }
        }
        Caption { objectName: "lastEvent"; text: root.v.lastEvent; color: Ui.theme.text }
        Divider {}
        RowLayout {
            spacing: 8
            ActionButton {
                objectName: "openDetails"
                text: Ui.texts.openDetails
                // The first stop for the keyboard; the ring shows once Tab moves.
                focus: true
                onClicked: root.v.openDetails()
            }
            ActionButton {
                objectName: "pauseButton"
                text: root.v.pauseLabel
                onClicked: root.v.togglePause()
            }
        }
        RowLayout {
            Layout.fillWidth: true
            // The link texts line up with the edges of the content; their padding lies outside.
            LinkButton {
                objectName: "snoozeButton"
                Layout.leftMargin: -leftPadding
                text: Ui.texts.snoozeAlerts
                onClicked: root.v.snooze()
            }
            Item { Layout.fillWidth: true }
            LinkButton {
                objectName: "quitButton"
                Layout.rightMargin: -rightPadding
                text: Ui.texts.quit
                onClicked: root.v.quit()
            }
        }
    }
}
