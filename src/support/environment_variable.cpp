#include "support/environment_variable.hpp"

#include <cstdlib>

#include "support/utf8.hpp"

namespace ostrel {

bool is_valid_variable_name(std::string_view name) {
  return !name.empty() && name.find_first_of(std::string_view("=\0", 2)) == std::string_view::npos;
}

bool is_valid_variable_value(std::string_view value) { return value.find('\0') == std::string_view::npos; }

std::optional<std::string> text_variable(const std::string& name) {
  if (!is_valid_variable_name(name)) return std::nullopt;
  const char* value = std::getenv(name.c_str());
  if (value == nullptr || !is_valid_utf8(value)) return std::nullopt;
  return std::string(value);
}

}  // namespace ostrel
