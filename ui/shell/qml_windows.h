#pragma once
// The QML engine and the windows built with it. The engine is made for the first window and
// released, windows and all, once every window has stayed hidden for a while: a closed
// interface then holds no engine, no compiled components and no scene, and the freed heap goes
// back to the system. The state the windows show lives in the view models, outside, so a
// window built again shows it as it was. Main thread only.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <memory>
#include <vector>

class QQmlEngine;
class QQuickWindow;

namespace tempyra {

class QmlWindows : public QObject {
  Q_OBJECT

 public:
  explicit QmlWindows(std::chrono::milliseconds releaseDelay, QObject* parent = nullptr);
  ~QmlWindows() override;

  // 30 s, or TEMPYRA_RELEASE_DELAY_MS where set (the end-to-end test's short delay).
  static std::chrono::milliseconds configuredReleaseDelay();

  // Builds the window that `url` describes (a QML file whose root item is a window), making
  // the engine first when there is none. The caller shows it; these windows are deleted on
  // release, so keep them in a QPointer. nullptr, with the reason in `error`, when the file
  // does not give a window.
  QQuickWindow* create(const QUrl& url, QString& error);

 signals:
  // The engine and the windows are gone and the heap trimmed.
  void released();

 private:
  // Arms the release when no window shows, disarms it while one does.
  void watchVisibility();
  void release();
  void deleteWindows();

  std::unique_ptr<QQmlEngine> engine_;
  std::vector<QPointer<QQuickWindow>> windows_;
  QTimer releaseTimer_;
};

}  // namespace tempyra
