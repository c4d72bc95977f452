#include "repl/repl.hpp"

#include <unistd.h>

#include <cerrno>
#include <new>
#include <string>
#include <string_view>

#include "repl/commands.hpp"
#include "repl/input_gatherer.hpp"
#include "repl/run_and_report.hpp"
#include "support/io.hpp"
#include "support/os_error.hpp"
#include "support/utf8.hpp"

namespace ostrel {
namespace {

// The line without its line end: trailing "\n", then trailing "\r".
std::string_view without_line_end(std::string_view line) {
  while (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// The next line of input; one too long for the memory left is a read error like any other.
Result<bool> read_input_line(LineReader& reader, std::string& line) {
  try {
    return reader.read_line(line);
  } catch (const std::bad_alloc&) {
    return Error{os_error_text(ENOMEM)};
  }
}

// Carries out a loop command; false when it ends the loop.
bool carry_out(LoopCommand command, std::string_view trimmed, ReplSession& session) {
  switch (command) {
    case LoopCommand::Quit:
      return false;
    case LoopCommand::Help:
      write_stdout(kHelpText);
      break;
    case LoopCommand::ListVariables:
      session.list_variables();
      break;
    case LoopCommand::Reset:
      session.reset();
      break;
    case LoopCommand::ShowTree:
      session.show_tree(tree_source(trimmed));
      break;
    case LoopCommand::NotACommand:
      break;
  }
  return true;
}

}  // namespace

int run_repl(std::string_view version) {
  ReplSession session;
  InputGatherer gatherer;
  LineReader reader(STDIN_FILENO);
  std::string raw_line;
  write_stdout("Ostrel " + std::string(version) + " REPL\nType :help for help, :quit to exit.\n");
  flush_stdout();
  for (;;) {
    write_stdout(gatherer.gathering() ? "... " : ">>> ");
    flush_stdout();
    Result<bool> read = read_input_line(reader, raw_line);
    if (!read) {
      write_error_line(stdout, "Error reading input: ", read.error());
      break;
    }
    if (!read.value()) {
      // End of input; an unfinished gathered input is dropped without running.
      write_stdout("\n");
      break;
    }
    std::string_view line = without_line_end(raw_line);
    std::string_view trimmed = trim_white_space_end(trim_white_space_start(line));
    if (!gatherer.gathering()) {
      if (trimmed.empty()) continue;
      LoopCommand command = classify_command(trimmed);
      if (command != LoopCommand::NotACommand) {
        if (!carry_out(command, trimmed, session)) break;
        continue;
      }
    }
    if (auto input = gatherer.add_line(line)) session.execute_and_print(*input);
  }
  flush_stdout();
  return 0;
}

}  // namespace ostrel
