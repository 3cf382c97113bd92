import QtQuick
import QtQuick.Controls
import QtTest
import Tempyra.Ui

TestCase {
    name: "Settings"
    when: windowShown
    visible: true
    width: 900
    height: 700

    Component { id: settings; SettingsPage { width: 800 } }
    Component {
        id: windowed
        ThemedWindow {
            width: 800
            height: 600
            SettingsPage { objectName: "page"; width: 800 }
        }
    }

    function init() { fake.reset() }

    function test_picker_values_are_stored_and_saved() {
        var s = createTemporaryObject(settings, this)
        var box = findChild(s, "sustainedBox")
        compare(box.currentIndex, 1)  // 60 s
        box.activated(2)
        compare(fake.sustained, 120)
        compare(fake.saves, 1)
        compare(box.currentIndex, 2)
    }

    function test_quiet_hour_pickers_hidden_when_off() {
        var s = createTemporaryObject(settings, this)
        verify(!findChild(s, "quietHours").visible)
        findChild(s, "quietEnabled").toggle()
        findChild(s, "quietEnabled").toggled()
        verify(findChild(s, "quietHours").visible)
    }

    function test_snooze_row() {
        var s = createTemporaryObject(settings, this)
        verify(findChild(s, "snoozeHour").visible)
        verify(!findChild(s, "cancelSnooze").visible)
        mouseClick(findChild(s, "snoozeHour"))
        verify(findChild(s, "cancelSnooze").visible)
        verify(findChild(s, "snoozeText").text.startsWith("Until "))
        mouseClick(findChild(s, "cancelSnooze"))
        verify(findChild(s, "snoozeHour").visible)
    }

    function test_clear_history_only_on_confirmation() {
        var s = createTemporaryObject(settings, this)
        mouseClick(findChild(s, "clearHistory"))
        verify(Ui.dashboard.confirmClear)
        compare(fake.clears, 0)
        Ui.dashboard.clearHistoryConfirmed()
        compare(fake.clears, 1)
        verify(!Ui.dashboard.confirmClear)
    }

    function test_a_disabled_switch_looks_disabled() {
        var w = createTemporaryObject(windowed, this)
        var page = findChild(w.contentItem, "page")
        var alerts = findChild(page, "alertsEnabled")  // no permission yet
        verify(!alerts.enabled)
        compare(alerts.palette.windowText, Ui.theme.secondary)
        compare(findChild(page, "advanced").palette.windowText, Ui.theme.text)
    }
}
