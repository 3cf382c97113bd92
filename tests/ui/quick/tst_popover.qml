import QtQuick
import QtTest
import Tempyra.Ui

TestCase {
    name: "Popover"
    when: windowShown
    visible: true
    width: 400
    height: 600

    Component { id: popover; PopoverContent {} }
    Component { id: popoverWindow; PopoverWindow {} }

    function init() { fake.reset() }

    function test_before_first_reading() {
        var p = createTemporaryObject(popover, this)
        compare(findChild(p, "stateTitle").text, "Monitoring paused or waiting")  // stale without a reading
        compare(findChild(p, "explanation").text, "Collecting the first reading.")
        compare(findChild(p, "lastEvent").text, "Last event: No events recorded")
        verify(!findChild(p, "readingLines").visible)
    }

    function test_reading_with_and_without_activity() {
        fake.setReading(2, true)
        var p = createTemporaryObject(popover, this)
        compare(findChild(p, "stateTitle").text, "Serious")
        verify(findChild(p, "readingLines").visible)
        compare(findChild(p, "sensorLines").count, 2)
        verify(findChild(p, "activityLine").visible)
        fake.setReading(0, false)
        compare(findChild(p, "stateTitle").text, "Nominal")
        verify(!findChild(p, "activityLine").visible)
    }

    function test_bare_machine_says_so_once_and_leads_to_sensors() {
        fake.setBareReading()
        var p = createTemporaryObject(popover, this)
        compare(findChild(p, "cpuLine").text, "CPU load: Establishing baseline")
        compare(findChild(p, "cpuLine").Accessible.name, "CPU load: Establishing baseline")
        verify(findChild(p, "littleToShow").visible)
        verify(findChild(p, "littleToShowText").text.indexOf("Sensors") >= 0)
        compare(findChild(p, "sensorLines").count, 2)
        mouseClick(findChild(p, "openSensors"))
        compare(Ui.dashboard.page, DashboardModel.Sensors)
        Ui.dashboard.selectPage(DashboardModel.Overview)
        fake.setReading(0, false)
        verify(!findChild(p, "littleToShow").visible)
    }

    // In the popover's own window: focus starts on Open Details, Tab walks the buttons (and
    // comes round) with a visible ring, and Escape closes the window.
    function test_keyboard_in_the_window() {
        var w = createTemporaryObject(popoverWindow, this)
        w.show()
        w.requestActivate()
        tryVerify(function() { return w.activeFocusItem && w.activeFocusItem.objectName === "openDetails" })
        var names = ["pauseButton", "snoozeButton", "quitButton", "openDetails"]
        for (var i = 0; i < names.length; ++i) {
            keyClick(Qt.Key_Tab)
            var b = w.activeFocusItem
            compare(b.objectName, names[i])
            verify(findChild(b, "focusRing").visible, names[i])
            compare(b.Accessible.name, b.text)
        }
        keyClick(Qt.Key_Escape)
        tryVerify(function() { return !w.visible })
    }

    function test_paused() {
        fake.setReading(1, false)
        var p = createTemporaryObject(popover, this)
        mouseClick(findChild(p, "pauseButton"))
        compare(findChild(p, "pauseButton").text, "Resume")
        compare(findChild(p, "stateTitle").text, "Monitoring paused or waiting")
        compare(findChild(p, "stateDot").color, Ui.theme.tintColor(Theme.Grey, Ui.theme.dark))
    }

    function test_dot_follows_a_live_scheme_switch() {
        fake.setReading(0, false)
        var p = createTemporaryObject(popover, this)
        var dot = findChild(p, "stateDot")
        Ui.theme.setAppearance("Light")
        var light = dot.color.toString()  // a copy, not a reference to the property
        Ui.theme.setAppearance("Dark")
        verify(dot.color.toString() !== light)
        verify(Qt.colorEqual(dot.color, Ui.theme.tintColor(Theme.Green, Ui.theme.dark)))
        Ui.theme.setAppearance("System")
    }
}
