#include "ui/shell/single_instance.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QEventLoop>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <QVariantMap>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>

namespace tempyra {

namespace {

// What a later launch sends over the socket, and what the running one answers once it is shown.
constexpr char kActivate[] = "activate\n";
constexpr char kShown[] = "shown\n";

// The freedesktop application interface, of which we serve Activate: what a desktop or a
// later launch calls to bring the application forward.
class ApplicationAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

 public:
  explicit ApplicationAdaptor(SingleInstance* instance)
      : QDBusAbstractAdaptor(instance), instance_(instance) {}

 public slots:
  void Activate(const QVariantMap& /*platformData*/) { instance_->activate(); }

 private:
  SingleInstance* instance_;
};

QString errnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }

// The address of the socket file at `path`; nothing when the name does not fit.
std::optional<sockaddr_un> socketAddress(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (name.isEmpty() || size_t(name.size()) >= sizeof address.sun_path) return std::nullopt;
  std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
  return address;
}

// A folder only this user can enter: made when missing, refused (with the reason) when it is
// anything else.
QString privateFolderProblem(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
    return path + " could not be made: " + errnoText();
  }
  struct stat st {};
  if (::lstat(name.constData(), &st) != 0) return path + " could not be checked: " + errnoText();
  if (S_ISLNK(st.st_mode)) return path + " is a symbolic link";
  if (!S_ISDIR(st.st_mode)) return path + " is not a folder";
  if (st.st_uid != ::getuid()) return path + " belongs to another user";
  if ((st.st_mode & 077) != 0) return path + " is open to other users";
  return {};
}

}  // namespace

SingleInstance::Options SingleInstance::forSession(const QString& name, const Environment& env,
                                                   const QString& temp) {
  Options o;
  o.name = name;
  const auto absolute = [&](const char* variable) -> QString {
    const auto value = env(variable);
    return value && value->starts_with('/') ? QString::fromStdString(*value) : QString();
  };
  const QString runtime = absolute("XDG_RUNTIME_DIR");
  // Asking for the session bus where none exists would autolaunch a daemon; the client library
  // finds one through the address variable or the runtime folder's socket.
  struct stat st {};
  const auto address = env("DBUS_SESSION_BUS_ADDRESS");
  const bool busExists =
      (address && !address->empty()) ||
      (!runtime.isEmpty() &&
       ::stat(QFile::encodeName(runtime + "/bus").constData(), &st) == 0 && S_ISSOCK(st.st_mode));
  if (busExists) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) o.bus = bus;
  }
  struct stat rt {};
  if (!runtime.isEmpty() && ::stat(QFile::encodeName(runtime).constData(), &rt) == 0 &&
      S_ISDIR(rt.st_mode)) {
    o.folder = runtime;
  } else {
    const QString fallback = temp + "/tempyra-" + QString::number(::getuid());
    o.folderProblem = privateFolderProblem(fallback);
    if (o.folderProblem.isEmpty()) o.folder = fallback;
  }
  return o;
}

SingleInstance::SingleInstance(Options options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {
  objectPath_ = "/" + QString(options_.name).replace('.', '/');
}

SingleInstance::~SingleInstance() {
  if (serverFd_ >= 0) {
    ::unlink(socketPath_.constData());
    ::close(serverFd_);
  }
  if (lockFd_ >= 0) {
    // Removed while still locked: a later launch that opened it meanwhile finds it gone once
    // it gets the lock, and starts over with a new one (claimLock).
    ::unlink(QFile::encodeName(lockPath_).constData());
    ::close(lockFd_);
  }
}

void SingleInstance::addProblem(const QString& text) {
  problem_ += (problem_.isEmpty() ? "" : "; ") + text;
}

SingleInstance::Claim SingleInstance::claim() {
  switch (claimName()) {
    case Name::shownOther:
      return Claim::shownOther;
    case Name::unanswered:
      return Claim::unanswered;
    case Name::owned:
    case Name::unavailable:
      break;
  }
  // Even with the name, an instance on another bus (another login of the same user) may hold
  // the history: the lock decides.
  return claimLock();
}

SingleInstance::Name SingleInstance::claimName() {
  if (!options_.bus) return Name::unavailable;
  QDBusConnection& bus = *options_.bus;
  // The object is there before the name, so whoever finds the name finds the object.
  new ApplicationAdaptor(this);
  if (!bus.registerObject(objectPath_, this, QDBusConnection::ExportAdaptors)) {
    addProblem("the bus object could not be registered: " + bus.lastError().message());
    return Name::unavailable;
  }
  // An owner that quits between our two calls makes the name free again: try once more.
  for (int attempt = 0; attempt < 2; ++attempt) {
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus.interface()->registerService(options_.name, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
      addProblem("the bus name could not be claimed: " + reply.error().message());
      bus.unregisterObject(objectPath_);
      return Name::unavailable;
    }
    if (reply.value() == QDBusConnectionInterface::ServiceRegistered) return Name::owned;

    QDBusMessage call = QDBusMessage::createMethodCall(
        options_.name, objectPath_, QStringLiteral("org.freedesktop.Application"),
        QStringLiteral("Activate"));
    call << QVariantMap{};
    const QDBusMessage answer = bus.call(call, QDBus::BlockWithGui, options_.answerMs);
    if (answer.type() == QDBusMessage::ReplyMessage) {
      bus.unregisterObject(objectPath_);
      return Name::shownOther;
    }
    const QDBusError error(answer);
    const bool ownerLeft =
        error.type() == QDBusError::ServiceUnknown ||
        error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
    if (!ownerLeft) {
      problem_ = error.message();
      bus.unregisterObject(objectPath_);
      return Name::unanswered;
    }
  }
  addProblem(QStringLiteral("the bus name stayed taken"));
  bus.unregisterObject(objectPath_);
  return Name::unavailable;
}

SingleInstance::Claim SingleInstance::claimLock() {
  if (options_.folder.isEmpty()) {
    const QString why = options_.folderProblem.isEmpty() ? QStringLiteral("no private folder")
                                                         : options_.folderProblem;
    addProblem("no lock file (" + why + "); " +
               (options_.bus ? QStringLiteral("only the bus name keeps this one instance")
                             : QStringLiteral("nothing keeps this one instance")));
    return Claim::first;
  }
  const QString base = options_.folder + "/" + options_.name;
  lockPath_ = base + ".lock";
  const QByteArray lockName = QFile::encodeName(lockPath_);
  // A lock file that its holder removed on quitting between our open and our lock is no guard:
  // try again with the one now there.
  for (int attempt = 0; attempt < 3; ++attempt) {
    // Close-on-exec: a program we start (a browser for a link) must not keep the lock.
    lockFd_ = ::open(lockName.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd_ < 0) {
      addProblem("the lock file could not be opened: " + errnoText());
      return Claim::first;
    }
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(lockFd_);
      lockFd_ = -1;
      if (error == EWOULDBLOCK) return askHolder(base + ".socket");
      errno = error;
      addProblem("the lock file could not be locked: " + errnoText());
      return Claim::first;
    }
    struct stat held {}, named {};
    if (::fstat(lockFd_, &held) == 0 && ::stat(lockName.constData(), &named) == 0 &&
        held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
      listen(base + ".socket");
      return Claim::first;
    }
    ::close(lockFd_);
    lockFd_ = -1;
  }
  addProblem(QStringLiteral("the lock file kept being replaced"));
  return Claim::first;
}

void SingleInstance::listen(const QString& socketPath) {
  const std::optional<sockaddr_un> address = socketAddress(socketPath);
  if (!address) {
    addProblem("later launches cannot reach this one: the name " + socketPath + " is too long");
    return;
  }
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  // A socket left behind by a holder that died; we hold the lock, so it is nobody's.
  ::unlink(address->sun_path);
  if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0 ||
      ::chmod(address->sun_path, 0600) != 0 || ::listen(fd, 8) != 0) {
    addProblem("later launches cannot reach this one: " + errnoText());
    if (fd >= 0) ::close(fd);
    return;
  }
  serverFd_ = fd;
  socketPath_ = QFile::encodeName(socketPath);
  auto* accepting = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(accepting, &QSocketNotifier::activated, this, [this] {
    int client;
    while ((client = ::accept4(serverFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0) {
      serve(client);
    }
  });
}

void SingleInstance::serve(int client) {
  // Only our own short request is understood: anything else, or longer, closes the connection.
  auto* reading = new QSocketNotifier(client, QSocketNotifier::Read, this);
  auto received = std::make_shared<QByteArray>();
  connect(reading, &QSocketNotifier::activated, this, [this, reading, received, client] {
    char bytes[64];
    const ssize_t n = ::read(client, bytes, sizeof bytes);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n > 0) received->append(bytes, n);
    const bool request = *received == kActivate;
    if (n > 0 && !request && received->size() < qsizetype(sizeof kActivate) - 1 &&
        QByteArray(kActivate).startsWith(*received)) {
      return;  // more of the request to come
    }
    if (request) {
      // One small write to a fresh socket; a later launch that left meanwhile loses nothing.
      [[maybe_unused]] const ssize_t written = ::write(client, kShown, sizeof kShown - 1);
    }
    reading->setEnabled(false);
    reading->deleteLater();
    ::close(client);
    if (request) emit activated();
  });
}

SingleInstance::Claim SingleInstance::askHolder(const QString& socketPath) {
  const std::optional<sockaddr_un> address = socketAddress(socketPath);
  if (!address) {
    problem_ = "the name " + socketPath + " is too long";
    return Claim::unanswered;
  }
  QEventLoop loop;
  QTimer deadline;
  deadline.setSingleShot(true);
  connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  bool shown = false;
  bool done = false;
  const auto finish = [&] {
    done = true;
    loop.quit();
  };
  int fd = -1;
  QByteArray answer;
  std::unique_ptr<QSocketNotifier> reading;
  QString error;
  // The holder may still be starting: its socket appears right after it takes the lock.
  std::function<void()> attempt = [&] {
    if (fd >= 0) ::close(fd);
    fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
      error = errnoText();
      return finish();
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
      const int e = errno;
      error = errnoText();
      if (e == ENOENT || e == ECONNREFUSED || e == EAGAIN) {
        QTimer::singleShot(100, &loop, attempt);
        return;
      }
      return finish();
    }
    if (::write(fd, kActivate, sizeof kActivate - 1) != ssize_t(sizeof kActivate - 1)) {
      error = errnoText();
      return finish();
    }
    reading = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(reading.get(), &QSocketNotifier::activated, &loop, [&] {
      char bytes[64];
      const ssize_t n = ::read(fd, bytes, sizeof bytes);
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
      if (n > 0) answer.append(bytes, n);
      if (n > 0 && !answer.contains('\n') && answer.size() < 64) return;
      shown = answer == kShown;
      if (!shown) error = n == 0 ? QStringLiteral("the running one closed the connection")
                                 : QStringLiteral("an answer that is not ours");
      finish();
    });
  };
  deadline.start(options_.answerMs);
  attempt();
  if (!done) loop.exec();
  reading.reset();
  if (fd >= 0) ::close(fd);
  if (shown) return Claim::shownOther;
  problem_ = error.isEmpty() ? QStringLiteral("no answer in time") : error;
  return Claim::unanswered;
}

}  // namespace tempyra

#include "single_instance.moc"
