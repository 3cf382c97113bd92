#include "ui/shell/file_dialog_chooser.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStandardPaths>

namespace tempyra {

FileDialogChooser::FileDialogChooser(QString saveTitle, QString folderTitle,
                                     std::function<QWindow*()> parentWindow)
    : saveTitle_(std::move(saveTitle)),
      folderTitle_(std::move(folderTitle)),
      parentWindow_(std::move(parentWindow)) {}

FileDialogChooser::~FileDialogChooser() {
  if (!dialog_) return;
  // Whoever asked is going away with us; the dialog closes without an answer.
  QObject::disconnect(dialog_, &QDialog::finished, nullptr, nullptr);
  delete dialog_.data();
}

void FileDialogChooser::chooseSaveFile(
    const std::string& proposedName, const std::string& contentType,
    std::function<void(std::optional<std::filesystem::path>)> done) {
  if (raiseOpenDialog(done)) return;
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();

  auto* dialog = new QFileDialog(nullptr, saveTitle_, folder);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  const QString type = QString::fromStdString(contentType);
  dialog->setMimeTypeFilters({type});
  // A name typed without an extension gets the type's own.
  const QMimeType mime = QMimeDatabase().mimeTypeForName(type);
  if (mime.isValid()) dialog->setDefaultSuffix(mime.preferredSuffix());
  dialog->selectFile(QString::fromStdString(proposedName));
  run(dialog, std::move(done));
}

void FileDialogChooser::chooseFolder(
    const std::filesystem::path& current,
    std::function<void(std::optional<std::filesystem::path>)> done) {
  if (raiseOpenDialog(done)) return;
  QString folder = QFile::decodeName(current.c_str());
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
  auto* dialog = new QFileDialog(nullptr, folderTitle_, folder);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setFileMode(QFileDialog::Directory);
  dialog->setOption(QFileDialog::ShowDirsOnly);
  run(dialog, std::move(done));
}

bool FileDialogChooser::raiseOpenDialog(
    const std::function<void(std::optional<std::filesystem::path>)>& done) {
  if (!dialog_) return false;
  // One dialog at a time: a second request brings the open one forward and gets no answer.
  dialog_->raise();
  dialog_->activateWindow();
  done(std::nullopt);
  return true;
}

void FileDialogChooser::run(QFileDialog* dialog,
                            std::function<void(std::optional<std::filesystem::path>)> done) {
  // Modal over the dashboard when it is open, over the whole application otherwise.
  QWindow* parent = parentWindow_ ? parentWindow_() : nullptr;
  if (parent) {
    dialog->winId();
    dialog->windowHandle()->setTransientParent(parent);
    dialog->setWindowModality(Qt::WindowModal);
  } else {
    dialog->setWindowModality(Qt::ApplicationModal);
  }

  const auto answer = [dialog, done = std::move(done)](int result) {
    std::optional<std::filesystem::path> chosen;
    const QStringList files = dialog->selectedFiles();
    if (result == QDialog::Accepted && !files.isEmpty() && !files.first().isEmpty()) {
      // File names are bytes on disk, in the locale's encoding.
      chosen = std::filesystem::path(QFile::encodeName(files.first()).toStdString());
    }
    dialog->deleteLater();
    done(std::move(chosen));
  };
  QObject::connect(dialog, &QDialog::finished, dialog, answer);
  dialog_ = dialog;
  dialog->show();
}

}  // namespace tempyra
