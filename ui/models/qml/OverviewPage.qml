import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

ColumnLayout {
    id: page
    readonly property OverviewModel c: Ui.dashboard.overview
    spacing: 18

    // What got hot while the dashboard was out of sight; above the state card.
    Rectangle {
        objectName: "awayLine"
        visible: page.c.away.length > 0
        Layout.fillWidth: true
        implicitHeight: awayRow.implicitHeight + 16
        radius: 8
        color: Ui.theme.panel
        border.color: Ui.theme.tintColor(Theme.Orange, Ui.theme.dark)
        border.width: 1
        RowLayout {
            id: awayRow
            anchors.fill: parent
            anchors.margins: 8
            anchors.leftMargin: 12
            spacing: 10
            Body {
                objectName: "awayText"
                text: page.c.away
                Layout.fillWidth: true
            }
            ActionButton {
                objectName: "dismissAway"
                text: Ui.texts.dismiss
                onClicked: Ui.dashboard.dismissAway()
            }
        }
    }

    // A machine that shows little says so once, and points to Sensors.
    Rectangle {
        objectName: "littleToShow"
        visible: page.c.littleToShow.length > 0
        Layout.fillWidth: true
        implicitHeight: littleRow.implicitHeight + 16
        radius: 8
        color: Ui.theme.panel
        border.color: Ui.theme.separator
        border.width: 1
        RowLayout {
            id: littleRow
            anchors.fill: parent
            anchors.margins: 8
            anchors.leftMargin: 12
            spacing: 10
            Symbol { name: "info.circle"; tint: Ui.theme.secondary; size: 16 }
            Body {
                objectName: "littleToShowText"
                text: page.c.littleToShow
                Layout.fillWidth: true
            }
            ActionButton {
                objectName: "openSensors"
                text: Ui.texts.sensors
                onClicked: Ui.dashboard.selectPage(DashboardModel.Sensors)
            }
        }
    }

    Panel {
        RowLayout {
            Layout.fillWidth: true
            spacing: 16
            Symbol {
                objectName: "stateSymbol"
                name: page.c.symbol
                tint: Ui.theme.tintColor(page.c.tint, Ui.theme.dark)
                size: 44
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 4
                Text {
                    objectName: "overviewTitle"
                    // The thermal state, read out by its text.
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    horizontalAlignment: Text.AlignLeft
                    text: page.c.title
                    color: Ui.theme.text
                    font.pixelSize: 24
                    font.bold: true
                    Layout.fillWidth: true
                    wrapMode: Text.WordWrap
                }
                Body { objectName: "headline"; text: page.c.headline }
                Caption { text: Ui.texts.overviewCaption }
            }
        }
    }

    RowLayout {
        Layout.fillWidth: true
        spacing: 18
        Panel {
            title: Ui.texts.cpuLoad
            Layout.preferredWidth: 1
            Layout.alignment: Qt.AlignTop
            Text {
                objectName: "cpuValue"
                Accessible.role: Accessible.StaticText
                Accessible.name: Ui.texts.cpuLoad + ": " + text
                horizontalAlignment: Text.AlignLeft
                text: page.c.cpu
                color: Ui.theme.text
                font.pixelSize: 20
                font.bold: true
            }
            Caption { text: Ui.texts.cpuCaption }
        }
        Panel {
            title: Ui.texts.power
            Layout.preferredWidth: 1
            Layout.alignment: Qt.AlignTop
            Text {
                objectName: "powerSource"
                Accessible.role: Accessible.StaticText
                Accessible.name: Ui.texts.power + ": " + text
                horizontalAlignment: Text.AlignLeft
                text: page.c.powerSource
                color: Ui.theme.text
                font.pixelSize: 20
                font.bold: true
            }
            Caption { objectName: "battery"; text: page.c.battery }
            Caption { objectName: "charging"; text: page.c.charging }
        }
    }

    Panel {
        title: Ui.texts.temperatureFans
        Repeater {
            objectName: "sensorRows"
            model: page.c.sensors
            RowLayout {
                id: sensorRow
                required property valueRow modelData
                Layout.fillWidth: true
                Accessible.role: Accessible.ListItem
                Accessible.name: modelData.name + ": " + modelData.value
                Body {
                    text: sensorRow.modelData.name
                    Layout.fillWidth: true
                    wrapMode: Text.NoWrap
                    elide: Text.ElideRight
                }
                Text {
                    horizontalAlignment: Text.AlignRight
                    text: sensorRow.modelData.value
                    color: Ui.theme.text
                    font.pixelSize: 15
                    font.weight: Font.DemiBold
                    font.family: "DejaVu Sans Mono"
                }
            }
        }
        Caption { text: Ui.texts.temperatureFansCaption }
    }

    Panel {
        title: Ui.texts.recentPressure
        ThermalChart { objectName: "overviewChart"; chartHeight: 170; powerMarkers: false }
    }
}
