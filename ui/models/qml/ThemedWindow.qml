import QtQuick
import QtQuick.Controls
import Tempyra.Ui

// A window whose controls take their colours from Theme, so they follow Light and Dark with
// everything else. Every colour group is set on its own: a colour set for the whole palette
// would also be the disabled one, and a disabled control would look like an enabled one.
ApplicationWindow {
    color: Ui.theme.window
    palette {
        active {
            window: Ui.theme.window
            windowText: Ui.theme.text
            base: Ui.theme.panel
            alternateBase: Ui.theme.window
            text: Ui.theme.text
            button: Ui.theme.button
            buttonText: Ui.theme.text
            highlight: Ui.theme.accent
            highlightedText: "#ffffff"
            toolTipBase: Ui.theme.panel
            toolTipText: Ui.theme.text
            mid: Ui.theme.separator
            dark: Ui.theme.separator
            light: Ui.theme.button
            midlight: Ui.theme.button
            link: Ui.theme.accent
        }
        inactive {
            window: Ui.theme.window
            windowText: Ui.theme.text
            base: Ui.theme.panel
            alternateBase: Ui.theme.window
            text: Ui.theme.text
            button: Ui.theme.button
            buttonText: Ui.theme.text
            highlight: Ui.theme.accent
            highlightedText: "#ffffff"
            toolTipBase: Ui.theme.panel
            toolTipText: Ui.theme.text
            mid: Ui.theme.separator
            dark: Ui.theme.separator
            light: Ui.theme.button
            midlight: Ui.theme.button
            link: Ui.theme.accent
        }
        disabled {
            window: Ui.theme.window
            windowText: Ui.theme.secondary
            base: Ui.theme.panel
            alternateBase: Ui.theme.window
            text: Ui.theme.secondary
            button: Ui.theme.window
            buttonText: Ui.theme.secondary
            highlight: Ui.theme.separator
            highlightedText: "#ffffff"
            toolTipBase: Ui.theme.panel
            toolTipText: Ui.theme.text
            mid: Ui.theme.separator
            dark: Ui.theme.separator
            light: Ui.theme.window
            midlight: Ui.theme.window
            link: Ui.theme.secondary
        }
    }
}
