#include "ui/shell/qml_file_chooser.h"

#include <QDir>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QStandardPaths>
#include <QUrl>


namespace tempyra {

QmlFileChooser::QmlFileChooser(QQmlEngine& engine, std::function<QWindow*()> parentWindow)
    : engine_(engine), parentWindow_(std::move(parentWindow)) {}

void QmlFileChooser::chooseSaveFile(
    const std::string& proposedName, const std::string& /*contentType: JSON is the only filter*/,
    std::function<void(std::optional<std::filesystem::path>)> done) {
  QQmlComponent component(&engine_, QUrl(QStringLiteral("qrc:/Tempyra/Ui/ExportDialog.qml")));
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
  const QUrl folderUrl = QUrl::fromLocalFile(folder);
  QVariantMap initial{{"currentFolder", folderUrl},
                      {"selectedFile", QUrl::fromLocalFile(
                                           QDir(folder).filePath(QString::fromStdString(proposedName)))}};
  if (QWindow* parent = parentWindow_ ? parentWindow_() : nullptr) {
    initial.insert("parentWindow", QVariant::fromValue(parent));
  }
  QObject* dialog = component.createWithInitialProperties(initial);
  if (!dialog) {
    done(std::nullopt);
    return;
  }
  // Exactly one answer, whichever signal comes first; the dialog goes away with it.
  auto* relay = new ExportDialogRelay;
  relay->setParent(dialog);
  relay->done = [dialog, done = std::move(done)](bool accepted) {
    const QUrl url = dialog->property("selectedFile").toUrl();
    dialog->deleteLater();
    if (accepted && url.isLocalFile()) {
      done(std::filesystem::path(url.toLocalFile().toStdString()));
    } else {
      done(std::nullopt);
    }
  };
  QObject::connect(dialog, SIGNAL(accepted()), relay, SLOT(accepted()));
  QObject::connect(dialog, SIGNAL(rejected()), relay, SLOT(rejected()));
  QMetaObject::invokeMethod(dialog, "open");
}

}  // namespace tempyra
