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
    palette {
        window: Ui.theme.window
        windowText: Ui.theme.text
        base: Ui.theme.panel
        alternateBase: Ui.theme.window
        text: Ui.theme.text
        button: Ui.theme.button
        buttonText: Ui.theme.text
        highlight: Ui.theme.accent
        highlightedText: "#ffffff"
        placeholderText: Ui.theme.secondary
        toolTipBase: Ui.theme.panel
        toolTipText: Ui.theme.text
        mid: Ui.theme.separator
        dark: Ui.theme.separator
        light: Ui.theme.button
        midlight: Ui.theme.button
        link: Ui.theme.accent
        disabled.windowText: Ui.theme.secondary
        disabled.text: Ui.theme.secondary
        disabled.buttonText: Ui.theme.secondary
    }
    onActiveChanged: if (!active) window.close()

    PopoverContent { id: content; anchors.fill: parent }
    Shortcut { sequence: "Escape"; onActivated: window.close() }
}
