import QtQuick
import QtTest
import Tempyra.Ui

TestCase {
    name: "Dashboard"
    when: windowShown
    visible: true
    width: 1000
    height: 700

    Component { id: dashboard; DashboardContent { width: 1000; height: 700 } }

    function init() {
        fake.reset()
        fake.setGuidance(false, false, true)
        Ui.dashboard.selectPage(DashboardModel.Overview)
        Ui.dashboard.active = true
    }
    function cleanup() { Ui.dashboard.active = false }

    function page(d) { return findChild(d, "pageLoader").item }
    // A dashboard opened on `pageId`: its page.
    function openOn(pageId) {
        Ui.dashboard.selectPage(pageId)
        return page(createTemporaryObject(dashboard, this))
    }

    function test_steps_follow_the_switch() {
        var d = createTemporaryObject(dashboard, this)
        verify(findChild(d, "steps").visible)
        fake.setGuidance(false, false, false)
        verify(!findChild(d, "steps").visible)
    }

    function test_history_durations_and_charts() {
        var p = openOn(DashboardModel.History)
        verify(findChild(findChild(p, "historyChart"), "placeholder").visible)
        verify(findChild(p, "noTemperatures").visible)
        verify(findChild(p, "noEvents").visible)
        fake.setDurations()
        compare(findChild(p, "durations").itemAt(0).children[1].text, "1h 2m 5s")

        fake.setHistory()
        var chart = findChild(p, "historyChart")
        verify(!findChild(chart, "placeholder").visible)
        var view = findChild(chart, "chart")
        verify(view.visible)
        // Two segments, four state colours, one power marker.
        compare(view.count, 2 + 4 + 1)
        verify(!findChild(p, "noTemperatures").visible)
        compare(findChild(p, "temperatureSummary").text, "Highest displayed CPU/GPU sample: 45.0 °C")
        compare(findChild(p, "events").count, 1)
    }

    function test_history_episodes_mark_the_chosen_span() {
        var p = openOn(DashboardModel.History)
        verify(findChild(p, "noEpisodes").visible)
        fake.setHistory()
        fake.setEpisodes()
        verify(!findChild(p, "noEpisodes").visible)
        var rows = findChild(p, "episodes")
        compare(rows.count, 2)
        var first = findChild(rows.itemAt(0), "episodeRow")
        verify(first.Accessible.name.startsWith("Serious · "))
        verify(first.Accessible.name.endsWith(" · 18 min · ffmpeg 71\u00a0%"))
        var view = findChild(findChild(p, "historyChart"), "chart")
        var before = view.count
        first.clicked()  // the row lies below the fold
        verify(first.highlighted)
        compare(view.count, before + 1)  // the band
        first.clicked()
        verify(!first.highlighted)
        compare(view.count, before)
    }

    function test_away_line_is_dismissible() {
        var line = findChild(openOn(DashboardModel.Overview), "awayLine")
        verify(!line.visible)
        fake.setEpisodes()
        verify(line.visible)
        compare(findChild(line, "awayText").text, "While you were away: 2 episodes, "
                + "18 min in total, highest Serious — busiest: ffmpeg")
        mouseClick(findChild(line, "dismissAway"))
        verify(!line.visible)
    }

    function test_activity_disabled_notice() {
        fake.setReading(0, true)
        fake.setActivityRecording(false)
        verify(findChild(openOn(DashboardModel.Activity), "activityDisabled").visible)
    }

    function test_status_and_problem_alert() {
        fake.setReading(0, false)
        var d = createTemporaryObject(dashboard, this)
        fake.setPaused(true)  // longer texts than before: the header and the strip make room
        var status = findChild(d, "statusText")
        compare(status.text, "Paused · last readings are historical")
        tryVerify(function () { return !status.truncated && status.lineCount === 1 })
        var pause = findChild(d, "pauseButton")
        compare(pause.text, "Resume Monitoring")
        tryVerify(function () { return pause.width >= pause.implicitWidth })
        verify(!findChild(d, "demoLabel").visible)
        fake.setProblem("Export failed")
        var alert = findChild(d, "problemAlert")
        tryVerify(function () { return alert.opened })
        alert.accept()
        tryVerify(function () { return !Ui.dashboard.hasProblem })
    }

    function test_a_new_page_starts_at_its_top() {
        fake.setHistory()
        Ui.dashboard.selectPage(DashboardModel.Settings)
        var d = createTemporaryObject(dashboard, this)
        var flick = findChild(d, "pageScroll").contentItem
        tryVerify(function () { return flick.contentHeight > flick.height + 100 })
        flick.contentY = 100
        Ui.dashboard.selectPage(DashboardModel.History)  // long enough to stay scrolled
        tryVerify(function () { return flick.contentHeight > flick.height + 100 })
        compare(flick.contentY, 0)
    }

    function test_sidebar_reached_and_pressed_from_the_keyboard() {
        var d = createTemporaryObject(dashboard, this)
        d.forceActiveFocus()
        for (var i = 0; i < 10 && d.Window.activeFocusItem.Accessible.name !== "History"; ++i)
            keyClick(Qt.Key_Tab)
        var item = d.Window.activeFocusItem
        compare(item.Accessible.name, "History")
        verify(findChild(item, "focusRing").visible)
        keyClick(Qt.Key_Space)
        compare(Ui.dashboard.page, DashboardModel.History)
    }
}
