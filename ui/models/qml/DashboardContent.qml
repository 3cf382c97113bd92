import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tempyra.Ui

// Sidebar, header row, steps, the selected page, status strip, alerts and onboarding sheets.
Rectangle {
    id: root
    readonly property DashboardModel d: Ui.dashboard
    color: Ui.theme.window

    Component.onCompleted: {
        Ui.dashboard.active = true
        Ui.onboarding.begin()
    }
    Component.onDestruction: Ui.dashboard.active = false

    // A control that takes the keyboard focus on the page is scrolled into view.
    Connections {
        target: root.Window.window
        function onActiveFocusItemChanged() { root.reveal(root.Window.activeFocusItem) }
    }
    function reveal(item) {
        if (!item || !pageLoader.item)
            return
        let inside = item
        while (inside && inside !== pageLoader)
            inside = inside.parent
        if (!inside)
            return
        const top = item.mapToItem(pageFlick.contentItem, 0, 0).y
        const margin = 16
        const maxY = Math.max(0, pageFlick.contentHeight - pageFlick.height)
        if (top - margin < pageFlick.contentY)
            pageFlick.contentY = Math.max(0, top - margin)
        else if (top + item.height + margin > pageFlick.contentY + pageFlick.height)
            pageFlick.contentY = Math.min(maxY, top + item.height + margin - pageFlick.height)
    }

    RowLayout {
        anchors.fill: parent
        spacing: 0

        Rectangle {
            Layout.preferredWidth: 230
            Layout.fillHeight: true
            color: Ui.theme.dark ? Qt.darker(Ui.theme.window, 1.15) : Qt.darker(Ui.theme.window, 1.03)
            ColumnLayout {
                anchors.fill: parent
                anchors.margins: 18
                spacing: 6
                ProductHeader { objectName: "productHeader" }
                Divider {}
                ListView {
                    objectName: "pageList"
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    clip: true
                    spacing: 2
                    model: root.d.pages
                    delegate: NavigationLabel {
                        required property pageRow modelData
                        width: ListView.view.width
                        name: modelData.name
                        symbol: modelData.symbol
                        selected: modelData.selected
                        onClicked: Ui.dashboard.selectPage(modelData.page)
                    }
                }
                Caption { text: Ui.texts.tagline }
                Caption {
                    objectName: "appearanceLabel"
                    text: Ui.texts.appearance
                    color: Ui.theme.text
                    Layout.topMargin: 4
                }
                Picker {
                    objectName: "appearancePicker"
                    Layout.fillWidth: true
                    label: Ui.texts.appearance
                    model: Ui.texts.appearanceOptions
                    currentIndex: root.d.appearanceIndex
                    onActivated: (index) => Ui.theme.setAppearance(Ui.texts.appearanceOptions[index])
                }
                ActionButton {
                    id: quitButton
                    objectName: "quitButton"
                    text: Ui.texts.quit
                    flat: true
                    Layout.fillWidth: true
                    ToolTipArea { text: Ui.texts.quitHelp; shown: quitButton.hovered }
                    onClicked: root.d.quit()
                }
            }
        }
        Rectangle { Layout.preferredWidth: 1; Layout.fillHeight: true; color: Ui.theme.separator }

        ColumnLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.margins: 18
            spacing: 12

            // The header and the status strip are plain items around a layout, not layouts inside
            // the column: a nested layout is not laid out again when only its children's sizes
            // change, which cut off the longer pause label and spilled the paused status.
            Item {
                objectName: "header"
                Layout.fillWidth: true
                implicitHeight: Math.max(headerText.implicitHeight, pauseButton.implicitHeight)
                RowLayout {
                    id: headerText
                    anchors.left: parent.left
                    anchors.right: pauseButton.left
                    anchors.rightMargin: 12
                    spacing: 12
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 2
                        Text {
                            objectName: "pageTitle"
                            Accessible.role: Accessible.Heading
                            Accessible.name: text
                            horizontalAlignment: Text.AlignLeft
                            text: root.d.title
                            color: Ui.theme.text
                            font.pixelSize: 28
                            font.bold: true
                        }
                        Text {
                            objectName: "pageSubtitle"
                            horizontalAlignment: Text.AlignLeft
                            text: root.d.subtitle
                            color: Ui.theme.secondary
                            font.pixelSize: 13
                            Layout.fillWidth: true
                            wrapMode: Text.WordWrap
                        }
                    }
                    Item {
                        objectName: "historyProblem"
                        visible: root.d.historyProblem.length > 0
                        Layout.preferredWidth: Math.min(320, problemText.x + problemText.implicitWidth)
                        implicitHeight: problemText.implicitHeight
                        Symbol {
                            name: "exclamationmark.triangle"
                            tint: Ui.theme.warning
                            size: 14
                        }
                        Caption {
                            id: problemText
                            x: 18
                            width: parent.width - x
                            text: root.d.historyProblem
                            color: Ui.theme.warning
                        }
                    }
                }
                ActionButton {
                    id: pauseButton
                    objectName: "pauseButton"
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    text: root.d.pauseLabel
                    icon.source: Ui.symbol(root.d.pauseSymbol, Ui.theme.text)
                    icon.color: "transparent"
                    icon.width: 14
                    icon.height: 14
                    onClicked: root.d.togglePause()
                }
            }

            Steps {
                objectName: "steps"
                steps: root.d.steps
                shown: root.d.showSteps
            }

            ScrollView {
                id: scroll
                objectName: "pageScroll"
                Layout.fillWidth: true
                Layout.fillHeight: true
                // Takes what is left below the header and steps, whatever the page's length.
                Layout.preferredHeight: 100
                Layout.minimumHeight: 0
                clip: true
                Flickable {
                    id: pageFlick
                    contentWidth: width
                    contentHeight: pageLoader.height
                    boundsBehavior: Flickable.StopAtBounds
                    Loader {
                        id: pageLoader
                        objectName: "pageLoader"
                        width: pageFlick.width
                        // Every page starts at its top, wherever the last one was scrolled to.
                        onLoaded: pageFlick.contentY = 0
                        sourceComponent: {
                            switch (root.d.page) {
                            case DashboardModel.Overview: return overviewPage
                            case DashboardModel.ThermalIntelligence: return intelligencePage
                            case DashboardModel.History: return historyPage
                            case DashboardModel.Activity: return activityPage
                            case DashboardModel.Sensors: return sensorsPage
                            case DashboardModel.Settings: return settingsPage
                            }
                            return aboutPage
                        }
                    }
                }
            }

            Divider {}
            Item {
                objectName: "statusStrip"
                Layout.fillWidth: true
                implicitHeight: noAccount.implicitHeight
                // One line: the status text gives way (elided) before anything wraps or overlaps.
                Dot {
                    id: statusDot
                    objectName: "statusDot"
                    anchors.verticalCenter: parent.verticalCenter
                    tint: root.d.statusTint
                    size: 8
                }
                Caption {
                    id: statusText
                    objectName: "statusText"
                    x: statusDot.width + 8
                    anchors.verticalCenter: parent.verticalCenter
                    width: Math.min(implicitWidth, noAccount.x - 16 - x -
                                    (demoLabel.visible ? demoLabel.implicitWidth + 8 : 0))
                    text: root.d.statusText
                    color: Ui.theme.text
                    wrapMode: Text.NoWrap
                    elide: Text.ElideRight
                }
                Caption {
                    id: demoLabel
                    objectName: "demoLabel"
                    x: statusText.x + statusText.width + 8
                    anchors.verticalCenter: parent.verticalCenter
                    width: implicitWidth
                    visible: root.d.demo
                    text: Ui.texts.demoData
                    wrapMode: Text.NoWrap
                }
                Caption {
                    id: noAccount
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    width: implicitWidth
                    text: Ui.texts.noAccount
                    wrapMode: Text.NoWrap
                }
            }
        }
    }

    Dialog {
        id: problemAlert
        objectName: "problemAlert"
        title: Ui.texts.product
        anchors.centerIn: parent
        width: 420
        modal: true
        visible: root.d.hasProblem
        Body { width: parent.width; text: root.d.problem }
        footer: DialogButtonBox {
            ActionButton {
                text: Ui.texts.ok
                highlighted: true
                onClicked: problemAlert.close()
            }
        }
        onClosed: root.d.dismissProblem()
    }

    Dialog {
        id: clearConfirmation
        objectName: "clearConfirmation"
        title: Ui.texts.clearTitle
        anchors.centerIn: parent
        width: 460
        modal: true
        visible: root.d.confirmClear
        footer: DialogButtonBox {
            ActionButton {
                objectName: "confirmClearButton"
                text: Ui.texts.clearButton
                destructive: true
                onClicked: root.d.clearHistoryConfirmed()
            }
            ActionButton {
                text: Ui.texts.cancel
                onClicked: clearConfirmation.reject()
            }
        }
        onRejected: root.d.confirmClear = false
        onClosed: root.d.confirmClear = false
    }

    Component { id: overviewPage; OverviewPage {} }
    Component { id: intelligencePage; ThermalIntelligencePage {} }
    Component { id: historyPage; HistoryPage {} }
    Component { id: activityPage; ActivityPage {} }
    Component { id: sensorsPage; SensorsPage {} }
    Component { id: settingsPage; SettingsPage {} }
    Component { id: aboutPage; AboutPage {} }

    WelcomeSheet { objectName: "welcome" }
    TourSheet { objectName: "tour" }
}
