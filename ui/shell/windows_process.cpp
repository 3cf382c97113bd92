#include "ui/shell/windows_process.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>

#include "app/copied_defaults.h"
#include "app/monitor.h"
#include "app/surface_codec.h"
#include "ui/shell/surface_channel.h"

namespace tempyra {

using nlohmann::json;

namespace {

// Where the windows process finds its end of the channel.
constexpr int kChannelFd = 3;

}  // namespace

// The monitor's file chooser: each request goes to the windows process, whose dialog answers.
class WindowsProcess::RemoteChooser final : public FileChooser {
 public:
  explicit RemoteChooser(WindowsProcess& owner) : owner_(&owner) {}
  void detach() { owner_ = nullptr; }

  void chooseSaveFile(const std::string& proposedName, const std::string& contentType,
                      Done done) override {
    if (!owner_) return done(std::nullopt);
    owner_->choose({{"kind", "save"}, {"name", proposedName}, {"type", contentType}},
                   std::move(done));
  }
  void chooseFolder(const std::filesystem::path& current, Done done) override {
    if (!owner_) return done(std::nullopt);
    owner_->choose({{"kind", "folder"}, {"current", current.string()}}, std::move(done));
  }

 private:
  WindowsProcess* owner_;
};

std::chrono::milliseconds WindowsProcess::configuredReleaseDelay() {
  bool set = false;
  const int ms = qEnvironmentVariableIntValue("TEMPYRA_RELEASE_DELAY_MS", &set);
  return std::chrono::milliseconds(set && ms >= 0 ? ms : 30000);
}

QString WindowsProcess::installedProgram() {
  const QDir here(QCoreApplication::applicationDirPath());
  const QString beside = here.filePath(QStringLiteral("tempyra-windows"));
  if (QFileInfo(beside).isExecutable()) return beside;
  return QDir::cleanPath(here.filePath(QStringLiteral(TEMPYRA_WINDOWS_FROM_BINDIR)));
}

WindowsProcess::WindowsProcess(Monitor& monitor, QString program,
                               std::chrono::milliseconds releaseDelay, QObject* parent)
    : QObject(parent),
      monitor_(monitor),
      program_(std::move(program)),
      chooser_(std::make_shared<RemoteChooser>(*this)) {
  releaseTimer_.setSingleShot(true);
  releaseTimer_.setInterval(releaseDelay);
  connect(&releaseTimer_, &QTimer::timeout, this, &WindowsProcess::release);
  connect(&monitor_, &MonitorSurface::liveChanged, this, &WindowsProcess::sendLive);
  connect(&monitor_, &MonitorSurface::historyChanged, this, &WindowsProcess::sendHistory);
  connect(&monitor_, &MonitorSurface::setupChanged, this, &WindowsProcess::sendSetup);
  connect(&monitor_, &MonitorSurface::defaultsChanged, this, &WindowsProcess::sendDefaults);
}

WindowsProcess::~WindowsProcess() {
  chooser_->detach();
  releaseTimer_.stop();
  if (channel_) {
    channel_->send("exit");
    channel_->flush();
  }
  delete channel_;
  channel_ = nullptr;
  // Waited for without this object's handlers: it is going away.
  for (Leaving& l : leaving_) {
    l.process->disconnect(this);
    l.process->waitForFinished(2000);
  }
  if (process_) {
    process_->disconnect(this);
    process_->waitForFinished(2000);
  }
  for (auto& [id, done] : std::exchange(choosing_, {})) done(std::nullopt);
}

std::shared_ptr<FileChooser> WindowsProcess::chooser() { return chooser_; }

qint64 WindowsProcess::processId() const { return process_ ? process_->processId() : 0; }

void WindowsProcess::start() { ensureRunning(); }

bool WindowsProcess::ensureRunning() {
  if (process_ && channel_) return true;
  const SocketPair pair = makeSocketPair();
  if (pair.first < 0) {
    std::fprintf(stderr, "Tempyra: the windows could not be started: %s\n", std::strerror(errno));
    return false;
  }
  auto process = std::make_unique<QProcess>();
  process->setProgram(program_);
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  process->setInputChannelMode(QProcess::ForwardedInputChannel);
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("TEMPYRA_CHANNEL_FD"), QString::number(kChannelFd));
  process->setProcessEnvironment(environment);
  const int childEnd = pair.second;
  // Runs in the child between fork and exec: only async-signal-safe calls. dup2 clears the
  // close-on-exec flag of the copy; a socket already at the place keeps it and is cleared.
  process->setChildProcessModifier([childEnd] {
    if (childEnd == kChannelFd) {
      ::fcntl(kChannelFd, F_SETFD, 0);
    } else {
      ::dup2(childEnd, kChannelFd);
    }
  });
  process->start();
  ::close(childEnd);
  if (!process->waitForStarted(5000)) {
    std::fprintf(stderr, "Tempyra: the windows could not be started: %s: %s\n",
                 qPrintable(program_), qPrintable(process->errorString()));
    ::close(pair.first);
    return false;
  }
  QProcess* started = process.get();
  connect(started, &QProcess::finished, this, [this, started] { ended(started); });
  if (process_) leaving_.push_back({std::move(process_), false});
  process_ = std::move(process);
  channel_ = new SurfaceChannel(pair.first, this);
  connect(channel_, &SurfaceChannel::received, this, &WindowsProcess::received);
  // The windows process quit or crashed: nothing of it shows any longer.
  connect(channel_, &SurfaceChannel::closed, this, &WindowsProcess::forget);
  // The snapshots come first: the windows are built from them.
  sendDefaults();
  sendSetup();
  sendLive();
  sendHistory();
  if (!view_.isEmpty()) send("view", textOf(view_));
  if (trayShown_) send("tray", *trayShown_ ? "true" : "false");
  return true;
}

void WindowsProcess::send(std::string_view kind, std::string_view text) {
  if (channel_) channel_->send(kind, text);
}

void WindowsProcess::sendLive() {
  if (channel_) send("live", encodeLiveFacts(monitor_.liveFacts()));
}
void WindowsProcess::sendHistory() {
  if (channel_) send("history", encodeHistoryState(monitor_.history()));
}
void WindowsProcess::sendSetup() {
  if (channel_) send("setup", encodeSetupState(monitor_.setup()));
}
void WindowsProcess::sendDefaults() {
  if (channel_) send("defaults", encodeDefaults(copyInterfaceDefaults(monitor_.defaults())));
}

void WindowsProcess::showPopover(std::optional<PlacementRect> anchor, bool toggle) {
  if (!ensureRunning()) return;
  releaseTimer_.stop();
  // The live state is sent afresh: it ages between readings.
  sendLive();
  json at = nullptr;
  if (anchor) at = {anchor->x, anchor->y, anchor->width, anchor->height};
  send("popover", json{{"anchor", at}, {"toggle", toggle}}.dump());
}

void WindowsProcess::showMenu(QPoint at) {
  if (!ensureRunning()) return;
  releaseTimer_.stop();
  send("menu", json{{"at", {at.x(), at.y()}}}.dump());
}

void WindowsProcess::closePopover() {
  if (shown_.popover) send("closePopover");
}

void WindowsProcess::openDashboard() {
  if (!ensureRunning()) return;
  releaseTimer_.stop();
  send("dashboard");
}

void WindowsProcess::closeDashboard() {
  if (shown_.dashboard) send("closeDashboard");
}

void WindowsProcess::setTrayShown(bool shown) {
  trayShown_ = shown;
  send("tray", shown ? "true" : "false");
}

void WindowsProcess::received(const QByteArray& kind, const QByteArray& text) {
  // Our own program at the other end; a message of the wrong shape is dropped, never fatal.
  try {
    take(kind, text);
  } catch (const json::exception& e) {
    std::fprintf(stderr, "Tempyra: a %s message from the windows could not be read: %s\n",
                 kind.constData(), e.what());
  }
}

void WindowsProcess::take(const QByteArray& kind, const QByteArray& text) {
  if (kind == "command") {
    runCommand(text);
  } else if (kind == "default") {
    if (const auto write = decodeDefaultWrite(textOf(text))) {
      if (applyDefault(monitor_.defaults(), write->key, write->value)) {
        emit monitor_.defaultsChanged();
      }
    }
  } else if (kind == "shown") {
    takeShown(text);
  } else if (kind == "chosen") {
    const json answer = json::parse(textOf(text), nullptr, false);
    if (!answer.is_object() || !answer.contains("id")) return;
    const auto found = choosing_.find(answer.value("id", 0LL));
    if (found == choosing_.end()) return;
    Done done = std::move(found->second);
    choosing_.erase(found);
    const auto path = answer.find("path");
    if (path != answer.end() && path->is_string()) {
      done(std::filesystem::path(path->get<std::string>()));
    } else {
      done(std::nullopt);
    }
    armRelease();
  } else if (kind == "popover") {
    emit popoverRequested();
  } else if (kind == "quit") {
    emit quitRequested();
  }
}

void WindowsProcess::runCommand(const QByteArray& text) {
  const json c = json::parse(textOf(text), nullptr, false);
  if (!c.is_object()) return;
  const std::string name = c.value("name", "");
  Monitor& m = monitor_;
  if (name == "togglePause") {
    m.togglePause();
  } else if (name == "loadHistory") {
    m.loadHistory();
  } else if (name == "clearHistory") {
    m.clearHistory();
  } else if (name == "exportHistory") {
    m.exportHistory();
  } else if (name == "setPreferences") {
    if (const auto p = decodePreferences(c.value("preferences", ""))) m.setPreferences(*p);
  } else if (name == "savePreferences") {
    m.savePreferences();
  } else if (name == "resetPreferences") {
    m.resetPreferences();
  } else if (name == "setLogin") {
    m.setLogin(c.value("enabled", false));
  } else if (name == "requestAlerts") {
    m.requestAlerts();
  } else if (name == "sendTestNotification") {
    m.sendTestNotification();
  } else if (name == "setHistoryView") {
    const int range = c.value("range", 0);
    if (range >= 0 && range <= int(HistoryRange::month)) {
      m.setHistoryView(c.value("historyPage", false), HistoryRange(range));
    }
  } else if (name == "setDetailVisible") {
    m.setDetailVisible(c.value("visible", false));
  } else if (name == "clearProblem") {
    m.clearProblem();
  } else if (name == "dismissAway") {
    m.dismissAway();
  } else if (name == "chooseMetricsFolder") {
    m.chooseMetricsFolder();
  } else if (name == "stopMetrics") {
    m.stopMetrics();
  }
}

void WindowsProcess::takeShown(const QByteArray& text) {
  const json s = json::parse(textOf(text), nullptr, false);
  if (!s.is_object()) return;
  const Shown was = shown_;
  shown_ = {s.value("popover", false), s.value("dashboard", false), s.value("dialog", false),
            s.value("menu", false)};
  if (const auto v = s.find("view"); v != s.end()) view_ = QByteArray::fromStdString(v->dump());
  armRelease();
  if (was.popover != shown_.popover || was.dashboard != shown_.dashboard) emit windowsChanged();
}

void WindowsProcess::choose(json request, Done done) {
  if (!channel_) return done(std::nullopt);
  const long long id = nextChoice_++;
  request["id"] = id;
  choosing_.emplace(id, std::move(done));
  releaseTimer_.stop();
  send("choose", request.dump());
}

void WindowsProcess::armRelease() {
  const bool busy = shown_.popover || shown_.dashboard || shown_.dialog || shown_.menu ||
                    !choosing_.empty();
  if (busy || !channel_) {
    releaseTimer_.stop();
  } else if (!releaseTimer_.isActive()) {
    releaseTimer_.start();
  }
}

void WindowsProcess::release() {
  if (!channel_ || !process_) return;
  // The process leaves on this word (or when its end of the channel closes); a window asked
  // for from now on starts a new one.
  channel_->send("exit");
  channel_->flush();
  leaving_.push_back({std::move(process_), true});
  forget();
}

void WindowsProcess::ended(QProcess* process) {
  // Deleted later: this runs inside the process object's own signal.
  if (process_.get() == process) {
    forget();
    process_.release()->deleteLater();
    return;
  }
  const auto found = std::find_if(leaving_.begin(), leaving_.end(),
                                  [process](const Leaving& l) { return l.process.get() == process; });
  if (found == leaving_.end()) return;
  const bool wasReleased = found->released;
  found->process.release()->deleteLater();
  leaving_.erase(found);
  if (wasReleased) emit released();
}

void WindowsProcess::forget() {
  releaseTimer_.stop();
  if (channel_) {
    channel_->disconnect(this);
    channel_->deleteLater();
    channel_ = nullptr;
  }
  const bool dashboardWasShown = shown_.dashboard;
  const bool anyShown = shown_.popover || shown_.dashboard;
  shown_ = {};
  for (auto& [id, done] : std::exchange(choosing_, {})) done(std::nullopt);
  if (dashboardWasShown) monitor_.setDetailVisible(false);
  if (anyShown) emit windowsChanged();
}

}  // namespace tempyra
