import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

ColumnLayout {
    spacing: 18
    Panel {
        objectName: "aboutPanel"
        title: Ui.texts.aboutTitle
        Body { text: Ui.texts.aboutLine1 }
        Body { text: Ui.texts.aboutLine2 }
        Body { text: Ui.texts.aboutLine3 }
        LinkText { text: Ui.texts.exploreQuorvel; url: Ui.texts.aboutLink }
    }
    Panel {
        title: Ui.texts.privacySupport
        Body { text: Ui.texts.privacyLine1 }
        Body { text: Ui.texts.privacyLine2 }
        Body { text: Ui.texts.privacyLine3 }
    }
}
