#pragma once
// The subcommands once the command line has been read. Each returns the exit status.
#include <string>

namespace ostrel {

int run_file(const std::string& path);
int parse_file(const std::string& path);
int eval_text(const std::string& text);

}  // namespace ostrel
