import QtQuick
import Tempyra.Ui

// One of our named symbols in a colour.
Image {
    property string name: ""
    property color tint: Ui.theme.text
    property int size: 16
    width: size
    height: size
    sourceSize: Qt.size(size * 2, size * 2)
    source: Ui.symbol(name, tint)
    fillMode: Image.PreserveAspectFit
    smooth: true
}
