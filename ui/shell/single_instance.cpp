#include "ui/shell/single_instance.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QEventLoop>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QVariantMap>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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
  if (server_) server_->close();  // removes the socket file
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
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  // A socket left behind by a holder that died; we hold the lock, so it is nobody's.
  QLocalServer::removeServer(socketPath);
  if (!server_->listen(socketPath)) {
    addProblem("later launches cannot reach this one: " + server_->errorString());
    return;
  }
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* client = server_->nextPendingConnection()) {
      connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
      connect(client, &QLocalSocket::readyRead, this, [this, client] {
        if (!client->canReadLine()) {
          // Only our own short request is understood; anything longer is dropped.
          if (client->bytesAvailable() > 64) client->abort();
          return;
        }
        const bool request = client->readLine(64) == kActivate;
        if (request) client->write(kShown);
        client->disconnectFromServer();
        if (request) emit activated();
      });
    }
  });
}

SingleInstance::Claim SingleInstance::askHolder(const QString& socketPath) {
  QLocalSocket socket;
  QEventLoop loop;
  QTimer deadline;
  deadline.setSingleShot(true);
  connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  bool shown = false;
  connect(&socket, &QLocalSocket::connected, &loop, [&] { socket.write(kActivate); });
  connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
    if (!socket.canReadLine()) return;
    shown = socket.readLine(64) == kShown;
    loop.quit();
  });
  // The holder may still be starting: its socket appears right after it takes the lock.
  connect(&socket, &QLocalSocket::errorOccurred, &loop, [&](QLocalSocket::LocalSocketError e) {
    if (e == QLocalSocket::ServerNotFoundError || e == QLocalSocket::ConnectionRefusedError) {
      QTimer::singleShot(100, &loop, [&] { socket.connectToServer(socketPath); });
    } else if (!shown) {
      loop.quit();
    }
  });
  deadline.start(options_.answerMs);
  socket.connectToServer(socketPath);
  loop.exec();
  if (shown) return Claim::shownOther;
  problem_ = socket.error() == QLocalSocket::UnknownSocketError
                 ? QStringLiteral("no answer in time")
                 : socket.errorString();
  return Claim::unanswered;
}

}  // namespace tempyra

#include "single_instance.moc"
