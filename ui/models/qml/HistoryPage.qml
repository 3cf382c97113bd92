import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tempyra.Ui

ColumnLayout {
    id: page
    readonly property HistoryModel c: Ui.dashboard.history
    spacing: 18

    RowLayout {
        spacing: 10
        Picker {
            objectName: "rangePicker"
            label: Ui.texts.historyRange
            Layout.preferredWidth: 180
            model: Ui.dashboard.ranges
            currentIndex: Ui.dashboard.rangeIndex
            onActivated: (index) => Ui.dashboard.setRangeIndex(index)
        }
        ActionButton { text: Ui.texts.refresh; onClicked: Ui.dashboard.refreshHistory() }
        ActionButton {
            objectName: "exportButton"
            text: Ui.texts.exportHistory
            onClicked: Ui.dashboard.exportHistory()
        }
    }

    Panel {
        title: Ui.texts.thermalPressure
        ThermalChart {
            objectName: "historyChart"
            chartHeight: 220
            powerMarkers: true
            bandStart: page.c.bandStart
            bandEnd: page.c.bandEnd
        }
        Caption { text: Ui.texts.thermalPressureCaption }
    }

    Panel {
        objectName: "episodesPanel"
        title: Ui.texts.episodesTitle
        Body {
            objectName: "noEpisodes"
            visible: page.c.episodes.length === 0
            text: Ui.texts.noEpisodes
        }
        Repeater {
            objectName: "episodes"
            model: page.c.episodes
            ColumnLayout {
                id: episodeItem
                required property episodeRow modelData
                required property int index
                Layout.fillWidth: true
                spacing: 0
                Divider { visible: episodeItem.index > 0 }
                ItemDelegate {
                    objectName: "episodeRow"
                    Layout.fillWidth: true
                    Accessible.role: Accessible.ListItem
                    highlighted: episodeItem.modelData.start === Ui.dashboard.history.selectedStart
                    Accessible.name: episodeItem.modelData.text
                    // Choosing the chosen row again clears the mark on the chart.
                    onClicked: Ui.dashboard.history.selectedStart = episodeItem.modelData.start
                    contentItem: RowLayout {
                        spacing: 8
                        Dot {
                            tint: episodeItem.modelData.tint
                            Layout.alignment: Qt.AlignVCenter
                        }
                        Body {
                            text: episodeItem.modelData.text
                            font.italic: episodeItem.modelData.brief
                            Layout.fillWidth: true
                        }
                    }
                }
            }
        }
        Caption {
            visible: page.c.episodes.length > 0
            text: Ui.texts.episodesCaption
        }
    }

    Panel {
        title: Ui.texts.temperatureHistory
        Body {
            objectName: "noTemperatures"
            visible: !page.c.hasTemperatures
            text: Ui.texts.noTemperatures
        }
        ColumnLayout {
            visible: page.c.hasTemperatures
            Layout.fillWidth: true
            spacing: 8
            TemperatureHistory { objectName: "temperatureChart" }
            Body { objectName: "temperatureSummary"; text: page.c.temperatureSummary }
            Caption { text: Ui.texts.temperatureCaption }
        }
    }

    Panel {
        title: Ui.texts.durationTitle
        Repeater {
            objectName: "durations"
            model: page.c.durations
            RowLayout {
                id: durationItem
                required property durationRow modelData
                Layout.fillWidth: true
                Accessible.role: Accessible.ListItem
                Accessible.name: modelData.title + ": " + modelData.text
                Body {
                    text: durationItem.modelData.title
                    Layout.fillWidth: true
                    wrapMode: Text.NoWrap
                }
                Text {
                    horizontalAlignment: Text.AlignRight
                    text: durationItem.modelData.text
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
            visible: page.c.events.length === 0
            text: Ui.texts.noEvents
        }
        Repeater {
            objectName: "events"
            model: page.c.events
            ColumnLayout {
                id: eventRow
                required property eventLine modelData
                required property int index
                Layout.fillWidth: true
                Accessible.role: Accessible.ListItem
                Accessible.name: modelData.time + ", " + modelData.kind + ": " + modelData.detail
                Divider { visible: eventRow.index > 0 }
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 10
                    Caption {
                        text: eventRow.modelData.time
                        color: Ui.theme.text
                        Layout.preferredWidth: 160
                        Layout.fillWidth: false
                        Layout.alignment: Qt.AlignTop
                    }
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 2
                        Caption {
                            text: eventRow.modelData.kind
                            font.bold: true
                            color: Ui.theme.text
                        }
                        Body { text: eventRow.modelData.detail }
                    }
                }
            }
        }
    }

}
