import QtQuick
import QtQuick.Layouts
import QtCharts
import Tempyra.Ui

// Thermal state over time; the placeholder when there are no readings.
Item {
    id: root
    property int chartHeight: 170
    property bool powerMarkers: false
    // A span to highlight, seconds since 1970; NaN for none.
    property real bandStart: NaN
    property real bandEnd: NaN
    Layout.fillWidth: true
    implicitHeight: chartHeight

    ThermalChartBinder {
        id: binder
        dashboard: Ui.dashboard
        theme: Ui.theme
        axisX: xAxis
        axisY: yAxis
        powerMarkers: root.powerMarkers
        bandStart: root.bandStart
        bandEnd: root.bandEnd
        chart: chart
    }

    ColumnLayout {
        objectName: "placeholder"
        anchors.centerIn: parent
        visible: binder.placeholder
        spacing: 4
        Symbol {
            name: "chart.xyaxis.line"
            tint: Ui.theme.secondary
            size: 28
            Layout.alignment: Qt.AlignHCenter
        }
        Text {
            horizontalAlignment: Text.AlignHCenter
            text: Ui.texts.noReadings
            color: Ui.theme.text
            font.pixelSize: 15
            font.bold: true
            Layout.alignment: Qt.AlignHCenter
        }
        Caption {
            text: Ui.texts.noReadingsDetail
            horizontalAlignment: Text.AlignHCenter
        }
    }

    ChartView {
        id: chart
        objectName: "chart"
        anchors.fill: parent
        visible: !binder.placeholder
        antialiasing: true
        legend.visible: false
        backgroundColor: "transparent"
        backgroundRoundness: 0
        margins { top: 4; bottom: 4; left: 4; right: 4 }
        Accessible.description: Ui.texts.thermalChartDescription
        // Marks on round local times, placed and labelled from C++.
        CategoryAxis { id: xAxis; titleText: "Time"; titleFont.pixelSize: 10; labelsFont.pixelSize: 11 }
        CategoryAxis { id: yAxis; titleText: "Pressure"; titleFont.pixelSize: 10; labelsFont.pixelSize: 11 }
    }

    // Readings without any known state: the axes stay, and one caption says why they are empty.
    Caption {
        objectName: "unobserved"
        visible: binder.unobserved
        anchors.centerIn: parent
        width: implicitWidth
        wrapMode: Text.NoWrap
        horizontalAlignment: Text.AlignHCenter
        text: Ui.texts.noStateObserved
        color: Ui.theme.text
    }
}
