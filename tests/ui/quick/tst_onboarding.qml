import QtQuick
import QtTest
import Tempyra.Ui

TestCase {
    name: "Onboarding"
    when: windowShown
    visible: true
    width: 1000
    height: 700

    Component { id: dashboard; DashboardContent { width: 1000; height: 700 } }

    function init() { Ui.dashboard.active = true }
    function cleanup() { Ui.dashboard.active = false }

    function test_welcome_then_walkthrough_buttons() {
        fake.reset()
        fake.newRun()
        var d = createTemporaryObject(dashboard, this)
        var welcome = findChild(d, "welcome")
        tryVerify(function () { return welcome.opened })
        verify(!findChild(d, "moreSoftware").visible)  // the maker's app list is empty
        mouseClick(findChild(d, "continueButton"))
        var tour = findChild(d, "tour")
        tryVerify(function () { return tour.opened })
        verify(!findChild(d, "backButton").visible)
        compare(findChild(d, "counter").text, "Step 1 of 3")
        mouseClick(findChild(d, "nextButton"))
        verify(findChild(d, "backButton").visible)
        mouseClick(findChild(d, "nextButton"))
        compare(findChild(d, "nextButton").text, "Get started")
        compare(findChild(d, "stepTitle").text, "Choose your preferences")
        mouseClick(findChild(d, "nextButton"))
        tryVerify(function () { return !tour.visible })

        // Reopened in the same run: nothing at start, but the walkthrough opens on request.
        d.destroy()
        var again = createTemporaryObject(dashboard, this)
        wait(50)
        verify(!findChild(again, "welcome").visible && !findChild(again, "tour").visible)
        Ui.onboarding.openTour()
        tryVerify(function () { return findChild(again, "tour").opened })
    }
}
