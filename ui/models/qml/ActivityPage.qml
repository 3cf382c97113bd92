import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

ColumnLayout {
    id: page
    readonly property ActivityModel c: Ui.dashboard.activity
    spacing: 18

    Panel {
        title: Ui.texts.activityTitle
        Body {
            objectName: "activityDisabled"
            visible: page.c.showDisabled
            text: Ui.texts.activityDisabled
        }
        Caption {
            objectName: "activityEmpty"
            visible: page.c.showEmpty
            text: Ui.texts.activityEmpty
        }
        Repeater {
            objectName: "activityRows"
            model: page.c.rows
            RowLayout {
                id: processItem
                required property processRow modelData
                Layout.fillWidth: true
                TextEdit {
                    text: processItem.modelData.name
                    readOnly: true
                    selectByMouse: true
                    color: Ui.theme.text
                    font.pixelSize: 13
                    Layout.fillWidth: true
                }
                Text {
                    horizontalAlignment: Text.AlignLeft
                    text: processItem.modelData.share
                    color: Ui.theme.text
                    font.pixelSize: 13
                    font.family: "DejaVu Sans Mono"
                }
            }
        }
        Caption { text: Ui.texts.activityCaption }
    }
}
