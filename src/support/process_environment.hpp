#pragma once
// The process environment, which every program started afterwards inherits: its variables read
// as text, what the platform can hold, and our `.env` loader, which finds a file from the current
// directory upward and sets the variables it names that are not set yet.
#include <functional>
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

namespace ostrel::dotenv {

// Loads the first file called `file_name` found in the current directory or one of its parents.
// No value on success; otherwise the error text ("path not found",
// "Error parsing line: '...', error at line index: N", an OS error text, ...). Entries before a
// failing one stay set.
std::optional<std::string> load(std::string_view file_name);

// The `.env` format: `KEY=VALUE` lines with optional `export`, quotes, escapes and `$NAME` /
// `${NAME}` substitution.

struct Entry {
  std::string key;
  std::string value;
};

// The value of a variable for substitution, if it is set (and usable as text).
using VariableLookup = std::function<std::optional<std::string>(const std::string& name)>;

// Receives each entry in file order; returns an error text to stop the reading.
using EntrySink = std::function<std::optional<std::string>(const Entry& entry)>;

// Reads the entries of the file `content` (a leading byte order mark is skipped). Substitution
// takes a variable from `environment` first, then from the earlier entries of the same content.
// Stops at the first error, of the content or of `apply`, and returns its text.
std::optional<std::string> read_entries(std::string_view content, const VariableLookup& environment,
                                        const EntrySink& apply);

}  // namespace ostrel::dotenv
