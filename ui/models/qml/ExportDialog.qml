import QtQuick
import QtQuick.Dialogs
import Tempyra.Ui

// The export save dialog; JSON is the only type offered.
FileDialog {
    title: Ui.texts.exportHistory
    fileMode: FileDialog.SaveFile
    nameFilters: ["JSON (*.json)"]
    defaultSuffix: "json"
}
