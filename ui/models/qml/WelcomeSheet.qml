import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

// The welcome sheet. Continue, a click on its background (inside the card outside its
// controls, or the dimmed window around it) or Escape finishes it.
Sheet {
    id: sheet
    readonly property OnboardingModel v: Ui.onboarding
    width: 440
    visible: v.showWelcome
    onClosed: sheet.v.finishWelcome()

    background: Rectangle {
        color: Ui.theme.panel
        radius: 12
        border.color: Ui.theme.separator
        // A click on the sheet's background, outside its controls, continues too.
        MouseArea { anchors.fill: parent; onClicked: sheet.v.finishWelcome() }
    }
    contentItem: ColumnLayout {
        spacing: 10
        ProductArtwork { size: 64; Layout.alignment: Qt.AlignHCenter; visible: loaded }
        Text {
            text: Ui.texts.product
            color: Ui.theme.text
            font.pixelSize: 22
            font.bold: true
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            Layout.fillWidth: true
        }
        Caption { text: Ui.texts.madeBy; horizontalAlignment: Text.AlignHCenter }
        Body { text: Ui.texts.welcomeFree; horizontalAlignment: Text.AlignHCenter }
        Divider {}
        Body {
            objectName: "moreSoftware"
            text: Ui.texts.moreSoftware
            visible: sheet.v.apps.length > 0
            horizontalAlignment: Text.AlignHCenter
        }
        RowLayout {
            objectName: "makerApps"
            visible: sheet.v.apps.length > 0
            Layout.alignment: Qt.AlignHCenter
            spacing: 16
            Repeater {
                model: sheet.v.apps
                MakerAppTile {}
            }
        }
        CheckOption {
            objectName: "welcomeAtStartup"
            text: Ui.texts.showWelcomeAtStartup
            checked: sheet.v.welcomeAtStartup
            onToggled: sheet.v.setWelcomeAtStartup(checked)
        }
        ActionButton {
            objectName: "continueButton"
            text: Ui.texts.continueLabel
            highlighted: true
            focus: true
            Layout.alignment: Qt.AlignHCenter
            onClicked: sheet.v.finishWelcome()
        }
        Caption { text: Ui.texts.welcomeHint; horizontalAlignment: Text.AlignHCenter }
    }
    Shortcut {
        sequences: ["Return", "Enter"]
        enabled: sheet.visible
        onActivated: sheet.v.finishWelcome()
    }
}
