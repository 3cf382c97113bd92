import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

// Sidebar header: artwork, product name and the maker's link.
RowLayout {
    spacing: 10
    Layout.fillWidth: true
    ProductArtwork { size: 36 }
    ColumnLayout {
        spacing: 0
        Text {
            horizontalAlignment: Text.AlignLeft
            text: Ui.texts.product
            color: Ui.theme.text
            font.pixelSize: 15
            font.weight: Font.DemiBold
        }
        LinkText {
            text: Ui.texts.madeBy
            url: Ui.texts.headerLink
            help: Ui.texts.madeByHelp
            color: Ui.theme.secondary
            font.pixelSize: 11
            Accessible.name: Ui.texts.madeByAccessible
        }
    }
}
