import QtQuick
import QtQuick.Controls
import Tempyra.Ui

// The dashboard window. Created when first opened and destroyed when closed, so a closed
// window holds nothing; closing it leaves the application running.
ThemedWindow {
    id: window
    title: Ui.texts.product
    minimumWidth: 1000
    minimumHeight: 700
    width: 1000
    height: 700

    DashboardContent { anchors.fill: parent }

    onClosing: (close) => {
        if (Ui.dashboard.closeNotice) {
            close.accepted = false
            closeNotice.open()
        }
    }

    Shortcut {
        sequence: "Ctrl+W"
        onActivated: window.close()
    }
    Shortcut {
        sequence: "Ctrl+Q"
        context: Qt.ApplicationShortcut
        onActivated: Ui.dashboard.quit()
    }

    Dialog {
        id: closeNotice
        objectName: "closeNotice"
        title: Ui.texts.closeNoticeTitle
        anchors.centerIn: Overlay.overlay
        width: 440
        modal: true
        Body {
            width: parent.width
            text: Ui.texts.closeNotice
            // Return takes the highlighted answer, as in the desktop's own dialogs. Inside the
            // dialog: a modal dialog blocks the window's shortcuts.
            Shortcut {
                sequences: ["Return", "Enter"]
                enabled: closeNotice.opened
                onActivated: closeNotice.accept()
            }
        }
        footer: DialogButtonBox {
            ActionButton {
                objectName: "closeNoticeQuit"
                text: Ui.texts.quit
                onClicked: {
                    Ui.dashboard.closeNoticeShown()
                    Ui.dashboard.quit()
                }
            }
            ActionButton {
                objectName: "closeNoticeClose"
                text: Ui.texts.closeWindow
                highlighted: true
                onClicked: closeNotice.accept()
            }
        }
        onAccepted: {
            Ui.dashboard.closeNoticeShown()
            window.close()
        }
    }
}
