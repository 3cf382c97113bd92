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

    function init() { fake.reset() }

    function test_before_first_reading() {
        var p = createTemporaryObject(popover, this)
        compare(findChild(p, "stateTitle").text, "Monitoring paused or waiting")  // stale without a reading
        compare(findChild(p, "explanation").text, "Collecting the first reading.")
        compare(findChild(p, "lastEvent").text, "Last event: No events recorded")
        verify(!findChild(p, "readingLines").visible)
        compare(findChild(p, "openDetails").text, "Open Details")
        compare(findChild(p, "pauseButton").text, "Pause")
        compare(findChild(p, "snoozeButton").text, "Snooze Alerts · 1 hour")
        compare(findChild(p, "quitButton").text, "Quit")
        compare(p.width, 360)
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

    function test_paused() {
        fake.setReading(1, false)
        var p = createTemporaryObject(popover, this)
        mouseClick(findChild(p, "pauseButton"))
        compare(findChild(p, "pauseButton").text, "Resume")
        compare(findChild(p, "stateTitle").text, "Monitoring paused or waiting")
        verify(findChild(p, "explanation").text.startsWith("Thermal pressure is elevated."))
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
