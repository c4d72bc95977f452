#pragma once
// The subcommands once the command line has been read: `run`, `parse` and `eval`. Each prints
// its output on standard output and its one error line on standard error, and returns the exit
// status. A write that fails (a full disk, a reader that has gone) is ignored: the status still
// tells the outcome, and nothing else could be told.
#include <string>

namespace ostrel {

int run_file(const std::string& path);
int parse_file(const std::string& path);
int eval_text(const std::string& text);

}  // namespace ostrel
