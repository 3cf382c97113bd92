import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

// The walkthrough sheet. Escape, Skip or a press on the dimmed window closes it.
Sheet {
    id: sheet
    readonly property OnboardingModel v: Ui.onboarding
    width: 480
    visible: v.showTour
    onClosed: sheet.v.closeTour()

    contentItem: ColumnLayout {
        spacing: 10
        ProductArtwork {
            size: 56
            visible: loaded
            Accessible.name: Ui.texts.appIconLabel
        }
        Text {
            horizontalAlignment: Text.AlignLeft
            text: Ui.texts.product
            color: Ui.theme.text
            font.pixelSize: 20
            font.bold: true
        }
        Caption { text: Ui.texts.madeBy; font.pixelSize: 13 }
        Caption { objectName: "counter"; text: sheet.v.counter }
        Text {
            horizontalAlignment: Text.AlignLeft
            objectName: "stepTitle"
            text: sheet.v.stepTitle
            color: Ui.theme.text
            font.pixelSize: 22
            font.bold: true
            wrapMode: Text.WordWrap
            Layout.fillWidth: true
        }
        Body { objectName: "stepDetail"; text: sheet.v.stepDetail }
        Toggle {
            objectName: "tourAtStartup"
            text: Ui.texts.showTourAtStartup
            checked: sheet.v.tourAtStartup
            onToggled: sheet.v.setTourAtStartup(checked)
        }
        RowLayout {
            Layout.fillWidth: true
            ActionButton {
                objectName: "skipButton"
                text: Ui.texts.skipTour
                onClicked: sheet.v.closeTour()
            }
            Item { Layout.fillWidth: true }
            ActionButton {
                objectName: "backButton"
                text: Ui.texts.back
                visible: sheet.v.hasBack
                onClicked: sheet.v.tourBack()
            }
            ActionButton {
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
