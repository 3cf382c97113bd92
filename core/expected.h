#pragma once
// A value or an error text: what decoders and other fallible engine calls return, so callers
// test the outcome instead of catching exceptions. `Status` is the same for calls that have no
// value to give: success, or the error.
//
// The rule at every room's edge: a call that can fail for a reason answers Expected<T> or
// Status, whose error carries that reason; std::optional answers only where absence is no
// failure (no reading yet, no such setting, nothing to report). A caller to whom a failure only
// means "no value this time" says so where it drops the reason, with ok().
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

  // The value, or nothing: for a caller to whom a failure only means no value (a sensor that
  // cannot be read this sample). The reason is dropped here, visibly.
  std::optional<T> ok() const& {
    if (!hasValue()) return std::nullopt;
    return value();
  }
  std::optional<T> ok() && {
    if (!hasValue()) return std::nullopt;
    return std::move(*this).value();
  }

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
