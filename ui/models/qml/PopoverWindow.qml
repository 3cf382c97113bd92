import QtQuick
import Tempyra.Ui

// The frameless popup next to the tray icon. Placed by the shell; closes when it loses focus.
ThemedWindow {
    id: window
    // The one binding qmllint --compiler leaves to the interpreter: Qt 6.4's compiler has no
    // bitwise or. It is evaluated once, when the window is made.
    flags: Qt.Popup | Qt.FramelessWindowHint
    width: 360
    height: content.implicitHeight
    onActiveChanged: if (!active) window.close()

    PopoverContent { id: content; anchors.fill: parent }
    Shortcut { sequence: "Escape"; onActivated: window.close() }
}
