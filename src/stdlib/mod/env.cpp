// The process environment, which every program started afterwards inherits.
#include <cerrno>
#include <cstdlib>

#include <fmt/core.h>

#include "stdlib/module.hpp"
#include "support/os_error.hpp"
#include "support/process_environment.hpp"
#include "support/utf8.hpp"

extern char** environ;

namespace ostrel::stdlib {
namespace {

// "env.set(\"NAME\"): text", with the variable or file name as the script gave it.
Error call_error(const Arguments& arguments, const std::string& name, std::string_view text) {
  return Error{fmt::format("{}(\"{}\"): {}", arguments.function_name(), name, text)};
}

Result<Value> get(const Arguments& arguments, OutputSink&) {
  OSTREL_TRY(name, arguments.text(1));
  std::optional<std::string> value = text_variable(name);
  return value ? Value::string(std::move(*value)) : Value::none();
}

Result<Value> get_or(const Arguments& arguments, OutputSink&) {
  OSTREL_TRY(name, arguments.text(1));
  OSTREL_TRY(fallback, arguments.text(2));
  return Value::string(text_variable(name).value_or(std::move(fallback)));
}

Result<Value> set(const Arguments& arguments, OutputSink&) {
  OSTREL_TRY(name, arguments.text(1));
  OSTREL_TRY(value, arguments.text(2));
  if (!is_valid_variable_name(name)) return call_error(arguments, name, "invalid variable name");
  if (!is_valid_variable_value(value)) return call_error(arguments, name, "invalid variable value");
  if (::setenv(name.c_str(), value.c_str(), 1) != 0) return call_error(arguments, name, os_error_text(errno));
  return Value::boolean(true);
}

Result<Value> remove(const Arguments& arguments, OutputSink&) {
  OSTREL_TRY(name, arguments.text(1));
  if (!is_valid_variable_name(name)) return call_error(arguments, name, "invalid variable name");
  ::unsetenv(name.c_str());
  return Value::boolean(true);
}

Result<Value> exists(const Arguments& arguments, OutputSink&) {
  OSTREL_TRY(name, arguments.text(1));
  return Value::boolean(text_variable(name).has_value());
}

// In the environment's own order. An entry whose name or value is not UTF-8 is left out: a
// script could not hold it as text.
Result<Value> list(const Arguments& arguments, OutputSink&) {
  if (auto refusal = arguments.refuse_any()) return std::move(*refusal);
  ValuePairs pairs;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    std::string_view text = *entry;
    size_t equals = text.find('=', 1);  // a name may itself begin with '='
    if (equals == std::string_view::npos) continue;
    std::string_view name = text.substr(0, equals);
    std::string_view value = text.substr(equals + 1);
    if (!is_valid_utf8(name) || !is_valid_utf8(value)) continue;
    pairs.emplace_back(Value::string(std::string(name)), Value::string(std::string(value)));
  }
  return Value::dict(std::move(pairs));
}

Result<Value> load(const Arguments& arguments, OutputSink&) {
  std::string file_name = ".env";
  if (arguments.count() > 0) {
    OSTREL_TRY(given, arguments.text(1));
    file_name = std::move(given);
  }
  if (std::optional<std::string> failure = dotenv::load(file_name)) {
    return call_error(arguments, file_name, *failure);
  }
  return Value::boolean(true);
}

}  // namespace

Module env_module() {
  return module("env", {
      {"get", get},
      {"get_or", get_or},
      {"set", set},
      {"remove", remove},
      {"exists", exists},
      {"list", list},
      {"load", load},
  });
}

}  // namespace ostrel::stdlib
