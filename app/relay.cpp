#include "app/relay.h"

namespace tempyra {

std::shared_ptr<Relay> Relay::create(QObject* receiver) {
  return std::shared_ptr<Relay>(new Relay(receiver));
}

void Relay::post(std::function<void()> call) {
  std::lock_guard lock(mutex_);
  if (!receiver_) return;
  ++pending_;
  QMetaObject::invokeMethod(
      receiver_,
      [self = shared_from_this(), call = std::move(call)] {
        --self->pending_;
        call();
      },
      Qt::QueuedConnection);
}

void Relay::close() {
  std::lock_guard lock(mutex_);
  receiver_ = nullptr;
}

}  // namespace tempyra
