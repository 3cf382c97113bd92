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
    palette {
        window: Ui.theme.window
        windowText: Ui.theme.text
        base: Ui.theme.panel
        alternateBase: Ui.theme.window
        text: Ui.theme.text
        button: Ui.theme.button
        buttonText: Ui.theme.text
        highlight: Ui.theme.accent
        highlightedText: "#ffffff"
        placeholderText: Ui.theme.secondary
        toolTipBase: Ui.theme.panel
        toolTipText: Ui.theme.text
        mid: Ui.theme.separator
        dark: Ui.theme.separator
        light: Ui.theme.button
        midlight: Ui.theme.button
        link: Ui.theme.accent
        disabled.windowText: Ui.theme.secondary
        disabled.text: Ui.theme.secondary
        disabled.buttonText: Ui.theme.secondary
    }

    DashboardContent { anchors.fill: parent }
}
