import QtQuick
import Tempyra.Ui

// Callout-sized text that wraps, never truncates.
WrappingText {
    color: Ui.theme.text
    font.pixelSize: 13
}
