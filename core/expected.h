#pragma once
// A value or an error text: what decoders and other fallible engine calls return, so callers
// test the outcome instead of catching exceptions.
#include <string>
#include <utility>
#include <variant>

namespace tempyra {

struct Error {
  std::string message;
};

template <class T>
class Expected {
 public:
  Expected(T value) : state_(std::move(value)) {}            // NOLINT: implicit on purpose
  Expected(Error error) : state_(std::move(error)) {}        // NOLINT: implicit on purpose

  bool hasValue() const { return state_.index() == 0; }
  explicit operator bool() const { return hasValue(); }

  // REQUIRES: hasValue()
  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  // REQUIRES: !hasValue()
  const std::string& error() const { return std::get<1>(state_).message; }

 private:
  std::variant<T, Error> state_;
};

}  // namespace tempyra
