import QtQuick
import QtQuick.Layouts

// Text that wraps and never truncates. The alignment is explicit: an empty Text without one
// can bring the scene down under a compositor that offers no keyboard.
Text {
    Layout.fillWidth: true
    wrapMode: Text.WordWrap
    horizontalAlignment: Text.AlignLeft
}
