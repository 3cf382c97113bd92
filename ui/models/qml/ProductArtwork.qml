import QtQuick
import Tempyra.Ui

// The application icon; the named symbol when the icon cannot be loaded.
Item {
    id: art
    property string symbol: "thermometer.medium"
    property int size: 36
    // True when the icon itself is shown (the sheets leave the picture out otherwise).
    readonly property bool loaded: icon.status === Image.Ready
    width: size
    height: size
    Accessible.name: Ui.texts.product
    Image {
        id: icon
        anchors.fill: parent
        source: "qrc:/Tempyra/Ui/app_icon.svg"
        sourceSize.width: art.size * 2
        sourceSize.height: art.size * 2
        smooth: true
    }
    Symbol {
        anchors.centerIn: parent
        visible: icon.status === Image.Error
        name: art.symbol
        size: art.size
    }
}
