import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tempyra.Ui

ColumnLayout {
    id: page
    readonly property var c: Ui.dashboard.view.content || ({})
    spacing: 18

    RowLayout {
        spacing: 10
        ComboBox {
            objectName: "rangePicker"
            Layout.preferredWidth: 180
            model: page.c.ranges || []
            currentIndex: page.c.rangeIndex === undefined ? -1 : page.c.rangeIndex
            onActivated: (index) => Ui.dashboard.setRangeIndex(index)
        }
        Button { text: Ui.texts.refresh; onClicked: Ui.dashboard.refreshHistory() }
        Button {
            objectName: "exportButton"
            text: Ui.texts.exportHistory
            onClicked: Ui.dashboard.exportHistory()
        }
    }

    Panel {
        title: Ui.texts.thermalPressure
        ThermalChart { objectName: "historyChart"; chartHeight: 220; powerMarkers: true }
        Caption { text: Ui.texts.thermalPressureCaption }
    }

    Panel {
        title: Ui.texts.temperatureHistory
        Body {
            objectName: "noTemperatures"
            visible: page.c.hasTemperatures === false
            text: Ui.texts.noTemperatures
        }
        ColumnLayout {
            visible: page.c.hasTemperatures === true
            Layout.fillWidth: true
            spacing: 8
            TemperatureHistory { objectName: "temperatureChart" }
            Body { objectName: "temperatureSummary"; text: page.c.temperatureSummary || "" }
            Caption { text: Ui.texts.temperatureCaption }
        }
    }

    Panel {
        title: Ui.texts.durationTitle
        Repeater {
            objectName: "durations"
            model: page.c.durations || []
            RowLayout {
                required property var modelData
                Layout.fillWidth: true
                Body { text: modelData.title; Layout.fillWidth: true; wrapMode: Text.NoWrap }
                Text {
                    text: modelData.text
                    color: Ui.theme.text
                    font.pixelSize: 13
                    font.family: "DejaVu Sans Mono"
                }
            }
        }
        Caption { text: Ui.texts.durationCaption }
    }

    Panel {
        title: Ui.texts.eventsTitle
        Body {
            objectName: "noEvents"
            visible: page.c.hasEvents === false
            text: Ui.texts.noEvents
        }
        Repeater {
            objectName: "events"
            model: page.c.events || []
            ColumnLayout {
                required property var modelData
                required property int index
                Layout.fillWidth: true
                Divider { visible: index > 0 }
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 10
                    Caption {
                        text: modelData.time
                        color: Ui.theme.text
                        Layout.preferredWidth: 160
                        Layout.fillWidth: false
                        Layout.alignment: Qt.AlignTop
                    }
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 2
                        Caption { text: modelData.kind; font.bold: true; color: Ui.theme.text }
                        Body { text: modelData.detail }
                    }
                }
            }
        }
    }
}
