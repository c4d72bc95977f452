#pragma once
// Reading process environment variables as text, and what the platform can hold.
#include <optional>
#include <string>
#include <string_view>

namespace ostrel {

// A name the platform can hold: not empty, with no '=' (it would split the entry) and no NUL
// (it would cut it).
bool is_valid_variable_name(std::string_view name);

// A value the platform can hold: no NUL.
bool is_valid_variable_value(std::string_view value);

// The variable's value when it is set and valid UTF-8; a value that is not text counts as unset,
// like one under a name that cannot exist.
std::optional<std::string> text_variable(const std::string& name);

}  // namespace ostrel
