import QtQuick
import QtQuick.Layouts
import QtCharts
import Tempyra.Ui

// CPU and GPU temperature means as unconnected dots.
Item {
    id: root
    Layout.fillWidth: true
    implicitHeight: 220

    TemperatureChartBinder {
        dashboard: Ui.dashboard
        theme: Ui.theme
        axisX: xAxis
        axisY: yAxis
        chart: chart
    }

    ChartView {
        id: chart
        objectName: "chart"
        anchors.fill: parent
        antialiasing: true
        legend.alignment: Qt.AlignBottom
        legend.labelColor: Ui.theme.text
        backgroundColor: "transparent"
        backgroundRoundness: 0
        margins { top: 4; bottom: 4; left: 4; right: 4 }
        Accessible.description: Ui.texts.temperatureChartDescription
        // Marks on round local times, placed and labelled from C++.
        CategoryAxis { id: xAxis; titleText: "Time"; titleFont.pixelSize: 10; labelsFont.pixelSize: 11 }
        // ValuesAxis: the value axis under its older name, the one the charts module's type
        // description resolves.
        ValuesAxis { id: yAxis; titleFont.pixelSize: 10; labelsFont.pixelSize: 11 }
    }
}
