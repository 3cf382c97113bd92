import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

Rectangle {
    Layout.fillWidth: true
    implicitHeight: 1
    color: Ui.theme.separator
}
