#pragma once
// The command line: `ostrel run FILE | parse FILE | eval EXPR | repl`, with help, version and
// usage errors.
#include <string>
#include <variant>

namespace ostrel::cli {

enum class Subcommand { Run, Parse, Eval, Repl };

struct Command {
  Subcommand subcommand;
  std::string argument;  // FILE or EXPR exactly as typed; empty for `repl`
};

// The subcommand to run; or, when help, the version or a usage error was asked for, the exit status
// after that text has been printed (0 for help and version, 2 for usage errors).
std::variant<Command, int> read_command_line(int argc, const char* const* argv);

}  // namespace ostrel::cli
