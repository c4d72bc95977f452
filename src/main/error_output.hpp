#pragma once
// The command line's own error lines on standard error ("Parse error: ...", "Runtime error: ...",
// "Error reading file ...").
#include <string_view>

namespace ostrel {

// Writes the prefix, the message and a newline. A write that fails (a full disk, a reader that has
// gone) is ignored: the exit status still tells the outcome, and nothing else could be told.
void print_error(std::string_view prefix, std::string_view message);

}  // namespace ostrel
