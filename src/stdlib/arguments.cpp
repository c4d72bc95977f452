#include "stdlib/arguments.hpp"

#include <fmt/core.h>

namespace ostrel::stdlib {

Result<std::string> Arguments::text(size_t number) const {
  if (count() < number) return Error{fmt::format("{}() missing argument {}", function_name_, number)};
  const Value& value = at(number);
  if (!value.is(Value::Kind::String)) {
    return Error{fmt::format("{}() argument {} must be a string, got {}", function_name_, number, value.display())};
  }
  return value.as_string();
}

Result<std::string> Arguments::package_name(size_t number) const {
  Result<std::string> name = text(number);
  if (name && !name->empty() && name->front() == '-') {
    return Error{fmt::format("{}() argument {} must not begin with '-', got {}", function_name_, number, *name)};
  }
  return name;
}

std::optional<Error> Arguments::refuse_any() const {
  if (count() == 0) return std::nullopt;
  return Error{fmt::format("{}() takes no arguments", function_name_)};
}

}  // namespace ostrel::stdlib
