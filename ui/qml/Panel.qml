import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

// A titled card: title (headline) over the content, 20-point margin, 12-point corners.
Rectangle {
    id: panel
    property string title: ""
    default property alias content: body.data
    Layout.fillWidth: true
    implicitHeight: column.implicitHeight + 40
    radius: 12
    color: Ui.theme.panel
    border.color: Ui.theme.separator
    border.width: 1

    ColumnLayout {
        id: column
        x: 20
        y: 20
        width: panel.width - 40
        spacing: 14
        Heading {
            text: panel.title
            visible: panel.title.length > 0
        }
        ColumnLayout {
            id: body
            Layout.fillWidth: true
            spacing: 8
        }
    }
}
