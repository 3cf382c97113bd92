import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

ColumnLayout {
    id: page
    readonly property IntelligenceModel c: Ui.dashboard.intelligence
    spacing: 18

    Panel {
        title: Ui.texts.whatIsReported
        Text {
            horizontalAlignment: Text.AlignLeft
            objectName: "adviceHeadline"
            text: page.c.headline
            color: Ui.theme.text
            font.pixelSize: 20
            font.bold: true
            wrapMode: Text.WordWrap
            Layout.fillWidth: true
        }
        Body { objectName: "adviceDetail"; text: page.c.detail }
    }
    Panel {
        title: Ui.texts.evidenceTitle
        Repeater {
            objectName: "evidence"
            model: page.c.evidence
            ColumnLayout {
                id: evidenceRow
                required property string modelData
                required property int index
                Layout.fillWidth: true
                Divider { visible: evidenceRow.index > 0 }
                Body { text: evidenceRow.modelData }
            }
        }
        Caption { text: Ui.texts.evidenceCaption }
    }
    Panel {
        title: Ui.texts.understandingStates
        Repeater {
            model: page.c.states
            RowLayout {
                id: stateItem
                required property stateRow modelData
                Layout.fillWidth: true
                spacing: 10
                Dot {
                    tint: stateItem.modelData.tint
                    size: 10
                    Layout.alignment: Qt.AlignTop
                    Layout.topMargin: 4
                }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 2
                    Body { text: stateItem.modelData.title; font.bold: true }
                    Caption {
                        text: stateItem.modelData.explanation
                        color: Ui.theme.text
                        font.pixelSize: 12
                    }
                }
            }
        }
    }
}
