#include "ui/shell/qml_windows.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>

#include <malloc.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "ui/models/symbol_images.h"

namespace tempyra {

namespace {

// Unmaps the pages of the program and its libraries that were read once, to start or to show a
// window, and are not needed while the windows are closed: the idle work maps back the few it
// uses. Only mappings that were never written to (no private copies) are touched, so nothing
// is lost: a page comes back unchanged from the file, or from the page cache that still holds
// it. The libraries stay loaded.
void dropCleanFilePages() {
  std::FILE* smaps = std::fopen("/proc/self/smaps", "re");
  if (!smaps) return;
  unsigned long start = 0, end = 0;
  bool candidate = false;
  const auto drop = [&] {
    if (candidate) madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
    candidate = false;
  };
  char line[8192];
  while (std::fgets(line, sizeof line, smaps)) {
    // A mapping starts "start-end perms offset dev inode path", its fields follow as "Name: n kB".
    unsigned long from = 0, to = 0, anonymous = 0;
    char perms[8] = {};
    int path = 0;
    if (std::sscanf(line, "%lx-%lx %7s %*s %*s %*s %n", &from, &to, perms, &path) == 3 &&
        path > 0) {
      drop();
      start = from;
      end = to;
      candidate = std::strlen(perms) == 4 && perms[1] != 'w' && perms[3] == 'p' &&
                  line[path] == '/';
    } else if (std::sscanf(line, "Anonymous: %lu", &anonymous) == 1 && anonymous > 0) {
      // A written page would be lost.
      candidate = false;
    }
  }
  drop();
  std::fclose(smaps);
}

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
  // What starting read once goes too, unless a window opens first.
  releaseTimer_.start();
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
  if (shown) {
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
  const bool loaded = engine_ != nullptr;
  deleteWindows();
  engine_.reset();
  // What the engine handed on to be deleted later goes first.
  QTimer::singleShot(0, this, [this, loaded] {
    returnFreedHeap();
    dropCleanFilePages();
    if (loaded) emit released();
  });
}

}  // namespace tempyra
