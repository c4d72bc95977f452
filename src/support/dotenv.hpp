#pragma once
// Our `.env` loader: finds a file from the current directory upward and sets the variables it
// names that are not set yet.
#include <optional>
#include <string>
#include <string_view>

namespace ostrel::dotenv {

// Loads the first file called `file_name` found in the current directory or one of its parents.
// No value on success; otherwise the error text ("path not found",
// "Error parsing line: '...', error at line index: N", an OS error text, ...). Entries before a
// failing one stay set.
std::optional<std::string> load(std::string_view file_name);

}  // namespace ostrel::dotenv
