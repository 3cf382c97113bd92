import QtQuick
import Tempyra.Ui

// One of our named symbols in a colour. Decorative: the text beside it says what it means.
Image {
    id: symbol
    property string name: ""
    property color tint: Ui.theme.text
    property int size: 16
    width: symbol.size
    height: symbol.size
    sourceSize.width: symbol.size * 2
    sourceSize.height: symbol.size * 2
    source: Ui.symbol(symbol.name, symbol.tint)
    fillMode: Image.PreserveAspectFit
    smooth: true
    Accessible.ignored: true
}
