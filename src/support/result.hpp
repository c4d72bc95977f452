#pragma once
// The value-or-message result that every fallible operation returns; nothing throws across
// subsystem boundaries.
#include <string>
#include <utility>
#include <variant>

namespace ostrel {

struct Error {
  std::string message;
};

template <class T>
class Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  T* operator->() { return &value(); }

  const std::string& error() const { return std::get<1>(state_).message; }
  Error take_error() && { return std::get<1>(std::move(state_)); }

 private:
  std::variant<T, Error> state_;
};

}  // namespace ostrel

// Evaluates `result_expression` (a Result); on an error, returns that error from the enclosing
// function, otherwise declares `name` holding the value.
#define OSTREL_TRY(name, result_expression)                         \
  auto name##_result = (result_expression);                         \
  if (!name##_result) return std::move(name##_result).take_error(); \
  auto name = std::move(name##_result).value()
