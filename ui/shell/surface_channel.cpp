#include "ui/shell/surface_channel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace tempyra {

namespace {

// The largest message the other end sends is a history of a few thousand readings; anything far
// beyond that is not from our own program.
constexpr qsizetype kLargestMessage = qsizetype(512) << 20;

}  // namespace

SocketPair makeSocketPair() {
  int fds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return {};
  return {fds[0], fds[1]};
}

SurfaceChannel::SurfaceChannel(int fd, QObject* parent)
    : QObject(parent),
      fd_(fd),
      reading_(fd, QSocketNotifier::Read),
      writing_(fd, QSocketNotifier::Write) {
  // Each end is made blocking (a program handed one may expect that); this side never waits.
  if (fd_ < 0 || ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK) != 0) {
    closed_ = true;
    reading_.setEnabled(false);
  }
  writing_.setEnabled(false);
  connect(&reading_, &QSocketNotifier::activated, this, &SurfaceChannel::readMessages);
  connect(&writing_, &QSocketNotifier::activated, this, &SurfaceChannel::writeQueued);
}

SurfaceChannel::~SurfaceChannel() {
  closed_ = true;
  if (fd_ >= 0) ::close(fd_);
}

bool SurfaceChannel::open() const { return !closed_; }

void SurfaceChannel::send(std::string_view kind, std::string_view text) {
  if (closed_) return;
  out_.append(kind.data(), qsizetype(kind.size()));
  out_.append(' ');
  out_.append(text.data(), qsizetype(text.size()));
  out_.append('\n');
  writeQueued();
}

void SurfaceChannel::writeQueued() {
  while (!closed_ && written_ < out_.size()) {
    const ssize_t n = ::send(fd_, out_.constData() + written_, size_t(out_.size() - written_),
                             MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (n < 0) return close();
    written_ += n;
  }
  if (written_ == out_.size()) {
    out_.clear();
    written_ = 0;
  }
  writing_.setEnabled(!closed_ && !out_.isEmpty());
}

void SurfaceChannel::flush() {
  for (int waits = 0; !closed_ && !out_.isEmpty() && waits < 20; ++waits) {
    writeQueued();
    pollfd p{fd_, POLLOUT, 0};
    if (!out_.isEmpty()) ::poll(&p, 1, 100);
  }
}

void SurfaceChannel::readMessages() {
  char bytes[65536];
  bool ended = false;
  for (;;) {
    const ssize_t n = ::read(fd_, bytes, sizeof bytes);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (n <= 0 || in_.size() + n > kLargestMessage) {
      ended = true;
      break;
    }
    in_.append(bytes, n);
  }
  // What came before the end is still delivered: a last word such as Quit, then the end.
  qsizetype from = 0;
  for (qsizetype end; !closed_ && (end = in_.indexOf('\n', from)) >= 0; from = end + 1) {
    const QByteArray line = in_.sliced(from, end - from);
    const qsizetype space = line.indexOf(' ');
    emit received(space < 0 ? line : line.left(space),
                  space < 0 ? QByteArray() : line.sliced(space + 1));
  }
  in_.remove(0, from);
  if (ended) close();
}

void SurfaceChannel::close() {
  if (closed_) return;
  closed_ = true;
  reading_.setEnabled(false);
  writing_.setEnabled(false);
  emit closed();
}

}  // namespace tempyra
