#include "ui/shell/qml_windows.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>

#include <malloc.h>

#include <algorithm>
#include <utility>

#include "ui/models/symbol_images.h"

namespace tempyra {

namespace {

// The heap keeps freed pages otherwise; hand them back so that a closed window costs nothing.
void returnFreedHeap() { malloc_trim(0); }

}  // namespace

std::chrono::milliseconds QmlWindows::configuredReleaseDelay() {
  bool set = false;
  const int ms = qEnvironmentVariableIntValue("TEMPYRA_RELEASE_DELAY_MS", &set);
  return std::chrono::milliseconds(set && ms >= 0 ? ms : 30000);
}

QmlWindows::QmlWindows(std::chrono::milliseconds releaseDelay, QObject* parent)
    : QObject(parent) {
  releaseTimer_.setSingleShot(true);
  releaseTimer_.setInterval(releaseDelay);
  connect(&releaseTimer_, &QTimer::timeout, this, &QmlWindows::release);
}

QmlWindows::~QmlWindows() { deleteWindows(); }

QQuickWindow* QmlWindows::create(const QUrl& url, QString& error) {
  releaseTimer_.stop();
  if (!engine_) {
    engine_ = std::make_unique<QQmlEngine>();
    engine_->addImportPath(QStringLiteral("qrc:/"));
    engine_->addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
  }
  QQmlComponent component(engine_.get(), url);
  QObject* object = component.create();
  auto* window = qobject_cast<QQuickWindow*>(object);
  if (!window) {
    error = component.isError() ? component.errorString() : QStringLiteral("not a window");
    delete object;
    watchVisibility();
    return nullptr;
  }
  windows_.emplace_back(window);
  connect(window, &QWindow::visibleChanged, this, &QmlWindows::watchVisibility);
  connect(window, &QObject::destroyed, this, [this] {
    // A window deleted while the engine stays (the dashboard, on closing): drop what it held.
    QTimer::singleShot(0, this, [this] {
      if (!engine_) return;
      engine_->collectGarbage();
      engine_->trimComponentCache();
      QTimer::singleShot(0, this, returnFreedHeap);
    });
    watchVisibility();
  });
  return window;
}

void QmlWindows::watchVisibility() {
  std::erase_if(windows_, [](const QPointer<QQuickWindow>& w) { return w.isNull(); });
  const bool shown = std::any_of(windows_.begin(), windows_.end(),
                                 [](const QPointer<QQuickWindow>& w) { return w->isVisible(); });
  if (shown || !engine_) {
    releaseTimer_.stop();
  } else if (!releaseTimer_.isActive()) {
    releaseTimer_.start();
  }
}

void QmlWindows::deleteWindows() {
  for (const auto& window : std::exchange(windows_, {})) {
    if (!window) continue;
    disconnect(window, nullptr, this, nullptr);
    delete window.data();
  }
}

void QmlWindows::release() {
  deleteWindows();
  engine_.reset();
  // What the engine handed on to be deleted later goes first.
  QTimer::singleShot(0, this, [this] {
    returnFreedHeap();
    emit released();
  });
}

}  // namespace tempyra
