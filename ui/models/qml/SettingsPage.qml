import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

ColumnLayout {
    id: page
    readonly property SettingsModel s: Ui.settings
    spacing: 18
    Component.onCompleted: page.s.shown = true
    Component.onDestruction: page.s.shown = false

    component LabeledPicker: RowLayout {
        id: picker
        property alias label: caption.text
        property alias model: box.model
        property alias currentIndex: box.currentIndex
        property int maxWidth: 400
        signal picked(int index)
        Layout.fillWidth: true
        Layout.maximumWidth: picker.maxWidth
        Body {
            id: caption
            Layout.fillWidth: false
            Layout.preferredWidth: 150
            // Only the drop-down reaches screen readers, named by this label.
            Accessible.ignored: true
        }
        Picker {
            id: box
            objectName: picker.objectName + "Box"
            label: caption.text
            Layout.fillWidth: true
            onActivated: (index) => picker.picked(index)
        }
    }

    Body {
        objectName: "settingsProblem"
        visible: page.s.settingsProblem !== ""
        text: page.s.settingsProblem
        color: Ui.theme.destructive
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
            Body { objectName: "loginStatus"; text: page.s.loginStatus; Layout.fillWidth: false }
            ActionButton {
                objectName: "loginButton"
                text: page.s.loginButton
                onClicked: page.s.toggleLogin()
            }
        }
        Caption { text: Ui.texts.loginCaption }
        LabeledPicker {
            objectName: "unit"
            label: Ui.texts.temperatureUnits
            maxWidth: 380
            model: page.s.units
            currentIndex: page.s.unitIndex
            onPicked: (index) => page.s.setUnitIndex(index)
        }
    }

    Panel {
        title: Ui.texts.menuBar
        LabeledPicker {
            objectName: "menu"
            label: Ui.texts.display
            maxWidth: 400
            model: page.s.menus
            currentIndex: page.s.menuIndex
            onPicked: (index) => page.s.setMenuIndex(index)
        }
        Caption { text: Ui.texts.menuCaption }
    }

    Panel {
        title: Ui.texts.sensors
        Toggle {
            objectName: "advanced"
            text: Ui.texts.advanced
            checked: page.s.advanced
            onToggled: page.s.setAdvanced(checked)
        }
        Caption { text: Ui.texts.samplingCaption }
    }

    Panel {
        title: Ui.texts.alerts
        RowLayout {
            Layout.fillWidth: true
            Body { objectName: "permissionLine"; text: page.s.permissionLine; Layout.fillWidth: false }
            Item { Layout.fillWidth: true }
            ActionButton {
                objectName: "allowNotifications"
                text: Ui.texts.allowNotifications
                onClicked: page.s.requestAlerts()
            }
        }
        Toggle {
            objectName: "alertsEnabled"
            text: Ui.texts.notifySustained
            enabled: page.s.alertsOperable
            checked: page.s.alertsEnabled
            onToggled: page.s.setAlertsEnabled(checked)
        }
        LabeledPicker {
            objectName: "sustained"
            label: Ui.texts.sustainedFor
            model: page.s.sustainedTimes
            currentIndex: page.s.sustainedIndex
            onPicked: (index) => page.s.setSustainedIndex(index)
        }
        LabeledPicker {
            objectName: "cooldown"
            label: Ui.texts.cooldown
            model: page.s.cooldowns
            currentIndex: page.s.cooldownIndex
            onPicked: (index) => page.s.setCooldownIndex(index)
        }
        Toggle {
            objectName: "quietEnabled"
            text: Ui.texts.quietHours
            checked: page.s.quietEnabled
            onToggled: page.s.setQuietEnabled(checked)
        }
        ColumnLayout {
            objectName: "quietHours"
            visible: page.s.quietEnabled
            Layout.fillWidth: true
            RowLayout {
                spacing: 18
                LabeledPicker {
                    objectName: "quietStart"
                    label: Ui.texts.from
                    maxWidth: 300
                    model: page.s.hours
                    currentIndex: page.s.quietStartIndex
                    onPicked: (index) => page.s.setQuietStartIndex(index)
                }
                LabeledPicker {
                    objectName: "quietEnd"
                    label: Ui.texts.until
                    maxWidth: 300
                    model: page.s.hours
                    currentIndex: page.s.quietEndIndex
                    onPicked: (index) => page.s.setQuietEndIndex(index)
                }
            }
            Caption { text: Ui.texts.quietCaption }
        }
        RowLayout {
            objectName: "snoozeRow"
            Body {
                objectName: "snoozeText"
                visible: page.s.snoozed
                text: page.s.snoozeText
                Layout.fillWidth: false
            }
            ActionButton {
                objectName: "cancelSnooze"
                visible: page.s.snoozed
                text: Ui.texts.cancelSnooze
                onClicked: page.s.cancelSnooze()
            }
            ActionButton {
                objectName: "snoozeHour"
                visible: !page.s.snoozed
                text: Ui.texts.snoozeHour
                onClicked: page.s.snooze()
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
            model: page.s.retentions
            currentIndex: page.s.retentionIndex
            onPicked: (index) => page.s.setRetentionIndex(index)
        }
        Caption { text: Ui.texts.historyCaption }
        RowLayout {
            ActionButton {
                objectName: "exportHistory"
                text: Ui.texts.exportHistory
                onClicked: page.s.exportHistory()
            }
            ActionButton {
                objectName: "clearHistory"
                text: Ui.texts.clearHistory
                destructive: true
                onClicked: Ui.dashboard.confirmClear = true
            }
        }
    }

    Panel {
        title: Ui.texts.metricsTitle
        Toggle {
            id: metricsSwitch
            objectName: "metricsEnabled"
            text: Ui.texts.writeMetrics
            enabled: page.s.metricsAvailable
            checked: page.s.metricsEnabled
            onToggled: {
                page.s.setMetricsEnabled(metricsSwitch.checked)
                // On only once a folder is chosen: the switch keeps showing the model.
                metricsSwitch.checked = Qt.binding(() => page.s.metricsEnabled)
            }
        }
        RowLayout {
            objectName: "metricsFolderRow"
            visible: page.s.metricsEnabled
            Layout.fillWidth: true
            Body {
                objectName: "metricsFolder"
                text: page.s.metricsFolder
                Layout.fillWidth: true
            }
            ActionButton {
                objectName: "chooseMetricsFolder"
                text: Ui.texts.chooseFolder
                onClicked: page.s.chooseMetricsFolder()
            }
        }
        Body {
            objectName: "metricsProblem"
            visible: page.s.metricsProblem !== ""
            text: page.s.metricsProblem
            color: Ui.theme.destructive
        }
        Caption {
            objectName: "metricsCaption"
            text: page.s.metricsAvailable ? Ui.texts.metricsCaption : Ui.texts.metricsDemo
        }
    }

    Panel {
        title: Ui.texts.privacyTitle
        Toggle {
            objectName: "activity"
            text: Ui.texts.recordActivity
            checked: page.s.activity
            onToggled: page.s.setActivity(checked)
        }
        Caption { text: Ui.texts.privacyCaption }
        ActionButton {
            objectName: "resetPreferences"
            text: Ui.texts.resetPreferences
            onClicked: page.s.resetPreferences()
        }
        Caption { text: Ui.texts.resetCaption }
    }
}
