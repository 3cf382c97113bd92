#pragma once
// One Tempyra per user: the first launch keeps running; a later one asks it to show its
// dashboard and leaves, so only one process samples into the history. Where a session bus
// exists the first owns a well-known name and answers org.freedesktop.Application.Activate.
// A lock file (flock, let go by the kernel when its holder dies) guards the history in every
// case, and a socket beside it carries the request where there is no bus.
#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

#include "app/xdg_paths.h"


namespace tempyra {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  struct Options {
    QString name;                        // a well-known bus name, "com.quorvel.tempyra"
    std::optional<QDBusConnection> bus;  // the session bus, when there is one
    QString folder;                      // the lock file and socket; empty: no lock
    // How long a later launch waits for the running one, which answers once its event loop
    // runs (it may still be starting).
    int answerMs = 10000;
    QString folderProblem;  // why there is no folder, when that is known
  };
  enum class Claim {
    first,       // this process is the one instance and emits activated() when asked
    shownOther,  // the running instance was asked to show itself
    unanswered,  // an instance runs but did not answer (problem() says why)
  };

  // The session's bus (only when one exists: nothing is autolaunched) and the runtime folder:
  // $XDG_RUNTIME_DIR, else `temp`/tempyra-<uid>, made 0700 and used only while it is a real
  // folder (no link) of this user that no one else may enter.
  static Options forSession(const QString& name, const Environment& env, const QString& temp);

  explicit SingleInstance(Options options, QObject* parent = nullptr);
  // Removes the socket and the lock file of the first instance.
  ~SingleInstance() override;

  // REQUIRES: a QCoreApplication exists; called once. Runs the event loop while it waits for an
  // answer (a few seconds at most).
  Claim claim();
  // Why the claim was not clean: an instance that did not answer, or a guard that could not be
  // set up (this instance then runs without it). Empty when all went well.
  const QString& problem() const { return problem_; }

  // The bus object's method. Public for the bus adaptor only.
  void activate() { emit activated(); }

 signals:
  // Another launch asked to see the dashboard.
  void activated();

 private:
  enum class Name { owned, shownOther, unanswered, unavailable };
  Name claimName();
  Claim claimLock();
  Claim askHolder(const QString& socketPath);
  void listen(const QString& socketPath);
  // Answers one later launch's connection.
  void serve(int client);
  void addProblem(const QString& text);

  Options options_;
  QString objectPath_;
  int lockFd_ = -1;
  QString lockPath_;
  int serverFd_ = -1;       // the listening local socket, while there is one
  QByteArray socketPath_;   // its file
  QString problem_;
};

}  // namespace tempyra
