#pragma once
// Reading the entries of a `.env` file: `KEY=VALUE` lines with optional `export`, quotes, escapes
// and `$NAME` / `${NAME}` substitution.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ostrel::dotenv {

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
