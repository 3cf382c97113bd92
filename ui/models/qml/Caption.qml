import QtQuick
import Tempyra.Ui

// Caption-sized text, secondary colour unless told otherwise.
WrappingText {
    color: Ui.theme.secondary
    font.pixelSize: 11
}
