import QtQuick
import Tempyra.Ui

// A filled circle in a Tint colour. Decorative: the text beside it names the state.
Rectangle {
    property int tint: Theme.Secondary
    property int size: 10
    width: size
    height: size
    radius: size / 2
    color: Ui.theme.tintColor(tint, Ui.theme.dark)
    Accessible.ignored: true
}
