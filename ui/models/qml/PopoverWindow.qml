import QtQuick
import Tempyra.Ui

// The frameless popup next to the tray icon. Placed by the shell; closes when it loses focus.
ThemedWindow {
    id: window
    flags: Qt.Popup | Qt.FramelessWindowHint
    width: 360
    height: content.implicitHeight
    onActiveChanged: if (!active) window.close()

    PopoverContent { id: content; anchors.fill: parent }
    Shortcut { sequence: "Escape"; onActivated: window.close() }
}
