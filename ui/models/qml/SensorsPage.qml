import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

ColumnLayout {
    id: page
    readonly property var c: Ui.dashboard.view.content || ({})
    spacing: 18

    Panel {
        title: Ui.texts.thisMac
        Text {
            objectName: "model"
            text: page.c.model || ""
            color: Ui.theme.text
            font.pixelSize: 20
            font.bold: true
            wrapMode: Text.WordWrap
            Layout.fillWidth: true
        }
        Body { text: page.c.architecture || "" }
        Body { text: page.c.os || "" }
        Body { text: page.c.fans || ""; color: Ui.theme.secondary }
    }
    Panel {
        title: Ui.texts.capabilityMatrix
        Repeater {
            objectName: "capabilities"
            model: page.c.capabilities || []
            ColumnLayout {
                required property var modelData
                required property int index
                Layout.fillWidth: true
                spacing: 2
                Divider { visible: index > 0 }
                Body { text: modelData.key; font.bold: true }
                Body { text: modelData.value; color: Ui.theme.secondary }
            }
        }
    }
    Panel {
        title: Ui.texts.readingsProvenance
        Repeater {
            objectName: "metrics"
            model: page.c.metrics || []
            ColumnLayout {
                required property var modelData
                required property int index
                Layout.fillWidth: true
                spacing: 2
                Divider { visible: index > 0 }
                RowLayout {
                    Layout.fillWidth: true
                    Body { text: modelData.name; Layout.fillWidth: true; wrapMode: Text.NoWrap; elide: Text.ElideRight }
                    Body { text: modelData.value; Layout.fillWidth: false; wrapMode: Text.NoWrap }
                }
                Caption { text: modelData.source }
                Caption { visible: modelData.quality.length > 0; text: modelData.quality }
            }
        }
    }
}
