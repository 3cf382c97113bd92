import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

// A titled card: title (headline) over the content, 20-point margin, 12-point corners, full
// width. The content is stacked by a positioner, which follows the height of wrapping text
// reliably; every content item takes the card's inner width.
Rectangle {
    id: panel
    property string title: ""
    default property alias content: body.data
    Layout.fillWidth: true
    implicitHeight: column.height + 40
    radius: 12
    color: Ui.theme.panel
    border.color: Ui.theme.separator
    border.width: 1

    Column {
        id: column
        x: 20
        y: 20
        width: panel.width - 40
        spacing: 14
        Heading {
            width: column.width
            text: panel.title
            visible: panel.title.length > 0
        }
        Column {
            id: body
            width: column.width
            spacing: 8
            // Items that fill the width in a layout fill the card here; an item may cap its
            // width with a `maxWidth` property (the pickers). Others keep their own width.
            function fit(item: Item) {
                if (!item.Layout.fillWidth)
                    return
                item.width = Qt.binding(function () {
                    return item.maxWidth ? Math.min(body.width, item.maxWidth) : body.width
                })
            }
            onChildrenChanged: {
                for (var i = 0; i < children.length; ++i)
                    fit(children[i])
            }
        }
    }
}
