import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

// One of the maker's other applications in the welcome: its icon above its linked name.
ColumnLayout {
    id: tile
    required property makerAppRow modelData
    Image {
        source: tile.modelData.icon
        sourceSize.width: 40
        sourceSize.height: 40
    }
    LinkText { text: tile.modelData.name; url: tile.modelData.link }
}
