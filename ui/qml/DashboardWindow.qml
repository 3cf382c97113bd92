import QtQuick
import QtQuick.Controls
import Tempyra.Ui

// The dashboard window. Created when first opened and destroyed when closed, so a closed
// window holds nothing.
ApplicationWindow {
    id: window
    title: Ui.texts.product
    minimumWidth: 1000
    minimumHeight: 700
    width: 1000
    height: 700
    color: Ui.theme.window
    palette: Ui.theme.palette

    DashboardContent { anchors.fill: parent }
}
