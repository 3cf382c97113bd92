import QtQuick
import QtQuick.Controls
import Tempyra.Ui

// A modal card over the dimmed window. It takes the keyboard while open: Tab moves among its
// own controls, and no key reaches the page behind. Escape and a press on the dimmed background
// close it; `closed` tells the owner.
Popup {
    id: sheet
    anchors.centerIn: parent
    modal: true
    dim: true
    focus: true
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
    padding: 24

    background: Rectangle {
        color: Ui.theme.panel
        radius: 12
        border.color: Ui.theme.separator
    }
    Overlay.modal: Rectangle {
        objectName: "sheetDim"
        color: Qt.rgba(0, 0, 0, Ui.theme.dark ? 0.5 : 0.32)
    }
}
