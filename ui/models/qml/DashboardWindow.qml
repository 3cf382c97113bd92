import QtQuick
import Tempyra.Ui

// The dashboard window. Created when first opened and destroyed when closed, so a closed
// window holds nothing.
ThemedWindow {
    id: window
    title: Ui.texts.product
    minimumWidth: 1000
    minimumHeight: 700
    width: 1000
    height: 700

    DashboardContent { anchors.fill: parent }
}
