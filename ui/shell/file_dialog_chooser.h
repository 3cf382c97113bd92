#pragma once
// The export's save dialog and the metrics folder dialog: Qt Widgets' file dialog. With a
// desktop portal or a platform theme that offers one, Qt shows the desktop's own dialog;
// otherwise its widget dialog.
#include <QFileDialog>
#include <QPointer>
#include <QString>
#include <QWindow>

#include <functional>

#include "app/file_chooser.h"

namespace tempyra {

class FileDialogChooser final : public FileChooser {
 public:
  // `parentWindow` answers the window to show the dialog over (the dashboard), or nullptr;
  // `saveTitle` and `folderTitle` are the two dialogs' window titles.
  // REQUIRES: a QApplication exists.
  FileDialogChooser(QString saveTitle, QString folderTitle, std::function<QWindow*()> parentWindow);
  ~FileDialogChooser() override;

  // One dialog at a time: asked again while one is open, it raises that dialog and answers
  // the new request with nothing.
  void chooseSaveFile(const std::string& proposedName, const std::string& contentType,
                      std::function<void(std::optional<std::filesystem::path>)> done) override;
  void chooseFolder(const std::filesystem::path& current,
                    std::function<void(std::optional<std::filesystem::path>)> done) override;

  // The open dialog, if any (the screenshot tour grabs it).
  QFileDialog* dialog() const { return dialog_.data(); }

 private:
  // Shows the dialog over the dashboard (or the application) and answers once it closes.
  // With a dialog already open: raises it, answers `done` with nothing and returns true.
  bool raiseOpenDialog(const std::function<void(std::optional<std::filesystem::path>)>& done);
  void run(QFileDialog* dialog, std::function<void(std::optional<std::filesystem::path>)> done);

  QString saveTitle_, folderTitle_;
  std::function<QWindow*()> parentWindow_;
  QPointer<QFileDialog> dialog_;
};

}  // namespace tempyra
