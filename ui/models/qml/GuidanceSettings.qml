import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tempyra.Ui

// The three guidance switches, the walkthrough button and the maker's pages.
ColumnLayout {
    id: guidance
    readonly property SettingsModel s: Ui.settings
    Layout.fillWidth: true
    spacing: 6
    Toggle {
        objectName: "showSteps"
        text: Ui.texts.guideSteps
        checked: guidance.s.showSteps
        onToggled: guidance.s.setShowSteps(checked)
    }
    Toggle {
        objectName: "showTour"
        text: Ui.texts.guideTour
        checked: guidance.s.showTour
        onToggled: guidance.s.setShowTour(checked)
    }
    Toggle {
        objectName: "showWelcome"
        text: Ui.texts.guideWelcome
        checked: guidance.s.showWelcome
        onToggled: guidance.s.setShowWelcome(checked)
    }
    ActionButton {
        objectName: "openTour"
        text: Ui.texts.openTour
        onClicked: Ui.onboarding.openTour()
    }
    Caption { text: Ui.texts.guideCaption }
    RowLayout {
        spacing: 14
        LinkText { text: Ui.texts.support; url: Ui.texts.supportLink; font.pixelSize: 11 }
        LinkText { text: Ui.texts.privacy; url: Ui.texts.privacyLink; font.pixelSize: 11 }
        LinkText { text: Ui.texts.terms; url: Ui.texts.termsLink; font.pixelSize: 11 }
    }
}
