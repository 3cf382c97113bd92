#pragma once
// A private D-Bus daemon for one test, and a way to wait for asynchronous answers.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>

namespace tempyra::testing {

// Runs the event loop until `done` holds or `ms` milliseconds have passed.
inline bool waitFor(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

class PrivateBus {
 public:
  // error() says why when the daemon could not start.
  PrivateBus() {
    if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()) {
      error_ = "dbus-daemon is not installed";
      return;
    }
    daemon_.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1",
                                  "--address=unix:path=" + dir_.filePath("bus")});
    if (!daemon_.waitForStarted(5000) || !waitFor([&] { return daemon_.canReadLine(); })) {
      error_ = "dbus-daemon did not start: " + daemon_.errorString().toStdString();
      return;
    }
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
  }
  ~PrivateBus() {
    for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
    if (daemon_.state() != QProcess::NotRunning) {
      daemon_.kill();
      daemon_.waitForFinished(2000);
    }
  }
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

  // A new connection to this bus under a name unique to this test.
  QDBusConnection connect(const QString& role) {
    const QString name = "tempyra-test-" + role + "-" + QString::number(++serial_) + "-" +
                         QString::number(reinterpret_cast<quintptr>(this));
    names_ << name;
    return QDBusConnection::connectToBus(address_, name);
  }

 private:
  QTemporaryDir dir_;
  QProcess daemon_;
  QString address_;
  QStringList names_;
  int serial_ = 0;
  std::string error_;
};

}  // namespace tempyra::testing
