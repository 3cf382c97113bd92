#pragma once
// The link between the tray process and its windows process: one end of a local stream socket
// pair, carrying messages of one line each ("<kind> <text>\n", the text without newlines).
// Main thread only.
#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

#include <string_view>

namespace tempyra {

class SurfaceChannel : public QObject {
  Q_OBJECT

 public:
  // Takes ownership of `fd`, one end of a connected stream socket.
  explicit SurfaceChannel(int fd, QObject* parent = nullptr);
  ~SurfaceChannel() override;

  // Queues one message; nothing once the channel has closed. REQUIRES: `kind` is one word and
  // `text` holds no newline.
  void send(std::string_view kind, std::string_view text = {});
  // Writes what is queued before returning (two seconds at most), for a message that must leave
  // before an exit.
  void flush();
  bool open() const;

 signals:
  void received(const QByteArray& kind, const QByteArray& text);
  // The other end went away (it quit or crashed), or a message was too large to be ours.
  void closed();

 private:
  void readMessages();
  void writeQueued();
  void close();

  int fd_;
  QSocketNotifier reading_;
  QSocketNotifier writing_;
  QByteArray in_;
  QByteArray out_;
  qsizetype written_ = 0;  // of out_
  bool closed_ = false;
};

// A message's bytes as the decoders take them.
inline std::string_view textOf(const QByteArray& bytes) {
  return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

// A connected pair of stream sockets, close-on-exec, or {-1, -1} with errno set.
struct SocketPair {
  int first = -1;
  int second = -1;
};
SocketPair makeSocketPair();

}  // namespace tempyra
