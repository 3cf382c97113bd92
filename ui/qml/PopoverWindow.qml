import QtQuick
import QtQuick.Controls
import Tempyra.Ui

// The frameless popup next to the tray icon. Placed by the shell; closes when it loses focus.
ApplicationWindow {
    id: window
    flags: Qt.Popup | Qt.FramelessWindowHint
    width: 360
    height: content.implicitHeight
    color: Ui.theme.window
    palette: Ui.theme.palette
    onActiveChanged: if (!active) window.close()

    PopoverContent { id: content; anchors.fill: parent }
    Shortcut { sequence: "Escape"; onActivated: window.close() }
}
