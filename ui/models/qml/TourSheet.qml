import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tempyra.Ui

// The walkthrough sheet.
Popup {
    id: sheet
    readonly property OnboardingModel v: Ui.onboarding
    anchors.centerIn: parent
    width: 480
    modal: true
    visible: v.showTour
    closePolicy: Popup.CloseOnEscape
    padding: 24
    background: Rectangle { color: Ui.theme.panel; radius: 12; border.color: Ui.theme.separator }
    onClosed: sheet.v.closeTour()

    contentItem: ColumnLayout {
        spacing: 10
        ProductArtwork {
            size: 56
            visible: loaded
            Accessible.name: Ui.texts.appIconLabel
        }
        Text {
            text: Ui.texts.product
            color: Ui.theme.text
            font.pixelSize: 20
            font.bold: true
        }
        Caption { text: Ui.texts.madeBy; font.pixelSize: 13 }
        Caption { objectName: "counter"; text: sheet.v.counter }
        Text {
            objectName: "stepTitle"
            text: sheet.v.stepTitle
            color: Ui.theme.text
            font.pixelSize: 22
            font.bold: true
            wrapMode: Text.WordWrap
            Layout.fillWidth: true
        }
        Body { objectName: "stepDetail"; text: sheet.v.stepDetail }
        CheckBox {
            objectName: "tourAtStartup"
            text: Ui.texts.showTourAtStartup
            checked: sheet.v.tourAtStartup
            onToggled: sheet.v.setTourAtStartup(checked)
        }
        RowLayout {
            Layout.fillWidth: true
            Button {
                objectName: "skipButton"
                text: Ui.texts.skipTour
                onClicked: sheet.v.closeTour()
            }
            Item { Layout.fillWidth: true }
            Button {
                objectName: "backButton"
                text: Ui.texts.back
                visible: sheet.v.hasBack
                onClicked: sheet.v.tourBack()
            }
            Button {
                objectName: "nextButton"
                text: sheet.v.mainButton
                highlighted: true
                onClicked: sheet.v.tourNext()
            }
        }
    }
    Shortcut {
        sequences: ["Return", "Enter"]
        enabled: sheet.visible
        onActivated: sheet.v.tourNext()
    }
}
