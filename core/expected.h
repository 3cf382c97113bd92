#pragma once
// A value or an error text: what decoders and other fallible engine calls return, so callers
// test the outcome instead of catching exceptions. `Status` is the same for calls that have no
// value to give: success, or the error.
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace tempyra {

// One line for the user, as the caller may show it.
struct Error {
  std::string message;
};

template <class T>
class Expected {
 public:
  using value_type = T;

  Expected(T value) : state_(std::move(value)) {}      // NOLINT: implicit on purpose
  Expected(Error error) : state_(std::move(error)) {}  // NOLINT: implicit on purpose

  bool hasValue() const { return state_.index() == 0; }
  explicit operator bool() const { return hasValue(); }

  // REQUIRES: hasValue()
  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T&& operator*() && { return std::move(*this).value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  // REQUIRES: !hasValue()
  const std::string& error() const { return std::get<1>(state_).message; }
  // The failure as it is, to hand on from a call of another value type. REQUIRES: !hasValue()
  Error failure() const { return std::get<1>(state_); }

 private:
  std::variant<T, Error> state_;
};

template <>
class Expected<void> {
 public:
  Expected() = default;                                // success
  Expected(Error error) : error_(std::move(error)) {}  // NOLINT: implicit on purpose

  bool hasValue() const { return !error_; }
  explicit operator bool() const { return hasValue(); }

  // REQUIRES: !hasValue()
  const std::string& error() const { return error_->message; }
  Error failure() const { return *error_; }

 private:
  std::optional<Error> error_;
};

using Status = Expected<void>;

}  // namespace tempyra
