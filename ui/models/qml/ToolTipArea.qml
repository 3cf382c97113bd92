import QtQuick
import QtQuick.Controls

Item {
    property string text: ""
    property bool shown: false
    anchors.fill: parent
    ToolTip.visible: shown
    ToolTip.text: text
    ToolTip.delay: 600
}
