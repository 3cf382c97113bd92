import QtQuick
import QtQuick.Layouts

// Text that wraps and never truncates.
Text {
    Layout.fillWidth: true
    wrapMode: Text.WordWrap
}
