import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

ColumnLayout {
    id: page
    readonly property SensorsModel c: Ui.dashboard.sensors
    spacing: 18

    Panel {
        title: Ui.texts.thisMachine
        Text {
            horizontalAlignment: Text.AlignLeft
            objectName: "model"
            text: page.c.model
            color: Ui.theme.text
            font.pixelSize: 20
            font.bold: true
            wrapMode: Text.WordWrap
            Layout.fillWidth: true
        }
        Body { text: page.c.architecture }
        Body { text: page.c.os }
        Body { text: page.c.fans; color: Ui.theme.secondary }
    }
    Panel {
        title: Ui.texts.capabilityMatrix
        Repeater {
            objectName: "capabilities"
            model: page.c.capabilities
            ColumnLayout {
                id: capabilityRow
                required property valueRow modelData
                required property int index
                Layout.fillWidth: true
                spacing: 2
                Divider { visible: capabilityRow.index > 0 }
                Body { text: capabilityRow.modelData.name; font.bold: true }
                Body { text: capabilityRow.modelData.value; color: Ui.theme.secondary }
            }
        }
    }
    Panel {
        title: Ui.texts.readingsProvenance
        Repeater {
            objectName: "metrics"
            model: page.c.metrics
            ColumnLayout {
                id: metricItem
                required property metricRow modelData
                required property int index
                Layout.fillWidth: true
                Accessible.role: Accessible.ListItem
                Accessible.name: modelData.name + ": " + modelData.value
                spacing: 2
                Divider { visible: metricItem.index > 0 }
                RowLayout {
                    Layout.fillWidth: true
                    Body {
                        text: metricItem.modelData.name
                        Layout.fillWidth: true
                        wrapMode: Text.NoWrap
                        elide: Text.ElideRight
                    }
                    Body {
                        text: metricItem.modelData.value
                        Layout.fillWidth: false
                        wrapMode: Text.NoWrap
                    }
                }
                Caption { text: metricItem.modelData.source }
                Caption {
                    visible: metricItem.modelData.quality.length > 0
                    text: metricItem.modelData.quality
                }
            }
        }
    }
}
