import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

ColumnLayout {
    id: page
    readonly property var c: Ui.dashboard.view.content || ({})
    spacing: 18

    Panel {
        title: Ui.texts.activityTitle
        Body {
            objectName: "activityDisabled"
            visible: page.c.showDisabled === true
            text: Ui.texts.activityDisabled
        }
        Caption {
            objectName: "activityEmpty"
            visible: page.c.showEmpty === true
            text: Ui.texts.activityEmpty
        }
        Repeater {
            objectName: "activityRows"
            model: page.c.rows || []
            RowLayout {
                required property var modelData
                Layout.fillWidth: true
                TextEdit {
                    text: modelData.name
                    readOnly: true
                    selectByMouse: true
                    color: Ui.theme.text
                    font.pixelSize: 13
                    Layout.fillWidth: true
                }
                Text {
                    text: modelData.share
                    color: Ui.theme.text
                    font.pixelSize: 13
                    font.family: "DejaVu Sans Mono"
                }
            }
        }
        Caption { text: Ui.texts.activityCaption }
    }
}
