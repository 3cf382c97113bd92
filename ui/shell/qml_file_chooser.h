#pragma once
// The export file chooser: a Qt Quick Dialogs save dialog shown over the dashboard.
#include <QObject>
#include <QPointer>
#include <QWindow>

#include <functional>

#include "app/file_chooser.h"

class QQmlEngine;

namespace tempyra {

// Turns the dialog's string-based signals into one callback. Internal to QmlFileChooser.
class ExportDialogRelay : public QObject {
  Q_OBJECT

 public:
  std::function<void(bool accepted)> done;

 public slots:
  void accepted() { finish(true); }
  void rejected() { finish(false); }

 private:
  void finish(bool ok) {
    if (!done) return;
    auto callback = std::move(done);
    done = nullptr;
    callback(ok);
  }
};

class QmlFileChooser final : public FileChooser {
 public:
  // `parentWindow` answers the window to show the dialog over (the dashboard), or nullptr.
  QmlFileChooser(QQmlEngine& engine, std::function<QWindow*()> parentWindow);
  void chooseSaveFile(const std::string& proposedName, const std::string& contentType,
                      std::function<void(std::optional<std::filesystem::path>)> done) override;

 private:
  QQmlEngine& engine_;
  std::function<QWindow*()> parentWindow_;
};

}  // namespace tempyra
