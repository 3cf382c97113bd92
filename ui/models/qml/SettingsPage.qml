import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Tempyra.Ui

ColumnLayout {
    id: page
    readonly property var s: Ui.settings.view
    spacing: 18
    Component.onCompleted: Ui.settings.shown = true
    Component.onDestruction: Ui.settings.shown = false

    component LabeledPicker: RowLayout {
        property alias label: caption.text
        property alias model: box.model
        property alias currentIndex: box.currentIndex
        property int maxWidth: 400
        signal picked(int index)
        Layout.fillWidth: true
        Layout.maximumWidth: maxWidth
        Body { id: caption; Layout.fillWidth: false; Layout.preferredWidth: 150 }
        ComboBox {
            id: box
            objectName: parent.objectName + "Box"
            Layout.fillWidth: true
            onActivated: (index) => parent.picked(index)
        }
    }

    Panel {
        title: Ui.texts.guidance
        GuidanceSettings {}
    }

    Panel {
        title: Ui.texts.general
        RowLayout {
            Layout.fillWidth: true
            Body { text: Ui.texts.launchAtLogin; Layout.fillWidth: false }
            Item { Layout.fillWidth: true }
            Body { objectName: "loginStatus"; text: page.s.loginStatus || ""; Layout.fillWidth: false }
            Button {
                objectName: "loginButton"
                text: page.s.loginButton || ""
                onClicked: Ui.settings.toggleLogin()
            }
        }
        Caption { text: Ui.texts.loginCaption }
        LabeledPicker {
            objectName: "unit"
            label: Ui.texts.temperatureUnits
            maxWidth: 380
            model: page.s.units || []
            currentIndex: page.s.unitIndex === undefined ? -1 : page.s.unitIndex
            onPicked: (index) => Ui.settings.setUnitIndex(index)
        }
    }

    Panel {
        title: Ui.texts.menuBar
        LabeledPicker {
            objectName: "menu"
            label: Ui.texts.display
            maxWidth: 400
            model: page.s.menus || []
            currentIndex: page.s.menuIndex === undefined ? -1 : page.s.menuIndex
            onPicked: (index) => Ui.settings.setMenuIndex(index)
        }
        Caption { text: Ui.texts.menuCaption }
    }

    Panel {
        title: Ui.texts.sensors
        Switch {
            objectName: "advanced"
            text: Ui.texts.advanced
            checked: page.s.advanced === true
            onToggled: Ui.settings.setAdvanced(checked)
        }
        Caption { text: Ui.texts.samplingCaption }
    }

    Panel {
        title: Ui.texts.alerts
        RowLayout {
            Layout.fillWidth: true
            Body { objectName: "permissionLine"; text: page.s.permissionLine || ""; Layout.fillWidth: false }
            Item { Layout.fillWidth: true }
            Button {
                objectName: "allowNotifications"
                text: Ui.texts.allowNotifications
                onClicked: Ui.settings.requestAlerts()
            }
        }
        Switch {
            objectName: "alertsEnabled"
            text: Ui.texts.notifySustained
            enabled: page.s.alertsOperable === true
            checked: page.s.alertsEnabled === true
            onToggled: Ui.settings.setAlertsEnabled(checked)
        }
        LabeledPicker {
            objectName: "sustained"
            label: Ui.texts.sustainedFor
            model: page.s.sustained || []
            currentIndex: page.s.sustainedIndex === undefined ? -1 : page.s.sustainedIndex
            onPicked: (index) => Ui.settings.setSustainedIndex(index)
        }
        LabeledPicker {
            objectName: "cooldown"
            label: Ui.texts.cooldown
            model: page.s.cooldowns || []
            currentIndex: page.s.cooldownIndex === undefined ? -1 : page.s.cooldownIndex
            onPicked: (index) => Ui.settings.setCooldownIndex(index)
        }
        Switch {
            objectName: "quietEnabled"
            text: Ui.texts.quietHours
            checked: page.s.quietEnabled === true
            onToggled: Ui.settings.setQuietEnabled(checked)
        }
        ColumnLayout {
            objectName: "quietHours"
            visible: page.s.quietEnabled === true
            Layout.fillWidth: true
            RowLayout {
                spacing: 18
                LabeledPicker {
                    objectName: "quietStart"
                    label: Ui.texts.from
                    maxWidth: 300
                    model: page.s.hours || []
                    currentIndex: page.s.quietStartIndex === undefined ? -1 : page.s.quietStartIndex
                    onPicked: (index) => Ui.settings.setQuietStartIndex(index)
                }
                LabeledPicker {
                    objectName: "quietEnd"
                    label: Ui.texts.until
                    maxWidth: 300
                    model: page.s.hours || []
                    currentIndex: page.s.quietEndIndex === undefined ? -1 : page.s.quietEndIndex
                    onPicked: (index) => Ui.settings.setQuietEndIndex(index)
                }
            }
            Caption { text: Ui.texts.quietCaption }
        }
        RowLayout {
            objectName: "snoozeRow"
            Body {
                objectName: "snoozeText"
                visible: page.s.snoozed === true
                text: page.s.snoozeText || ""
                Layout.fillWidth: false
            }
            Button {
                objectName: "cancelSnooze"
                visible: page.s.snoozed === true
                text: Ui.texts.cancelSnooze
                onClicked: Ui.settings.cancelSnooze()
            }
            Button {
                objectName: "snoozeHour"
                visible: page.s.snoozed === false
                text: Ui.texts.snoozeHour
                onClicked: Ui.settings.snooze()
            }
        }
        Caption { text: Ui.texts.alertsCaption }
    }

    Panel {
        title: Ui.texts.history
        LabeledPicker {
            objectName: "retention"
            label: Ui.texts.keepReadings
            maxWidth: 350
            model: page.s.retentions || []
            currentIndex: page.s.retentionIndex === undefined ? -1 : page.s.retentionIndex
            onPicked: (index) => Ui.settings.setRetentionIndex(index)
        }
        Caption { text: Ui.texts.historyCaption }
        RowLayout {
            Button {
                objectName: "exportHistory"
                text: Ui.texts.exportHistory
                onClicked: Ui.settings.exportHistory()
            }
            Button {
                objectName: "clearHistory"
                text: Ui.texts.clearHistory
                palette.buttonText: Ui.theme.tint(3)
                onClicked: Ui.dashboard.confirmClear = true
            }
        }
    }

    Panel {
        title: Ui.texts.privacyTitle
        Switch {
            objectName: "activity"
            text: Ui.texts.recordActivity
            checked: page.s.activity === true
            onToggled: Ui.settings.setActivity(checked)
        }
        Caption { text: Ui.texts.privacyCaption }
        Button {
            objectName: "resetPreferences"
            text: Ui.texts.resetPreferences
            onClicked: Ui.settings.resetPreferences()
        }
        Caption { text: Ui.texts.resetCaption }
    }
}
