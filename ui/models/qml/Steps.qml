import QtQuick
import QtQuick.Layouts
import Tempyra.Ui

// The page's three numbered instructions, shown while the steps switch is on. The rows stay
// the same items when the page changes; only their texts follow.
Column {
    id: steps
    property list<string> steps
    property bool shown: true
    visible: shown
    Layout.fillWidth: true
    spacing: 6
    Layout.preferredHeight: one.height + two.height + three.height + 2 * spacing
    StepRow { id: one; width: steps.width; number: 1; text: steps.steps[0] }
    StepRow { id: two; width: steps.width; number: 2; text: steps.steps[1] }
    StepRow { id: three; width: steps.width; number: 3; text: steps.steps[2] }
}
