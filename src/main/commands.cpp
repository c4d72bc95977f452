#include "main/commands.hpp"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string_view>

#include "ast/print_tree.hpp"
#include "grammar/match_program.hpp"
#include "interpreter/interpreter.hpp"
#include "parser/parse_program.hpp"
#include "stdlib/library.hpp"
#include "support/io.hpp"
#include "support/os_error.hpp"

namespace ostrel {
namespace {

// One error line ("Parse error: ...", "Runtime error: ...", "Error reading file ..."), written
// whole so that it is not interleaved with anything, and returns the failure status.
int print_error(std::string_view prefix, std::string_view message) {
  std::fflush(stdout);  // the lines printed before the error come before it
  std::string line;
  line.reserve(prefix.size() + message.size() + 1);
  line.append(prefix).append(message).push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  std::clearerr(stderr);
  return 1;
}

// The script's text, or the error printed and no value. Reading stops at the longest text the
// grammar takes, so that an endless device such as /dev/zero cannot exhaust memory.
std::optional<std::string> read_script(const std::string& path) {
  auto text = read_text_file(path, grammar::max_source_bytes);
  if (!text) {
    print_error("Error reading file '" + path + "': ", text.error());
    return std::nullopt;
  }
  return std::move(text).value();
}

// Runs one complete source text (`run` and `eval`): printed lines, then the final value on
// standard output unless it is None, or one error on standard error.
int run_source(std::string_view source) {
  Result<ast::StmtPtr> program = parse_program(source);
  if (!program) return print_error("Parse error: ", program.error());
  Interpreter interpreter(std::make_unique<StdoutSink>(), stdlib::modules());
  Result<Value> result = interpreter.run_program(*program.value());
  if (!result) return print_error("Runtime error: ", result.error());
  if (!result->is_none()) {
    Result<std::string> text = display_form(*result);
    if (!text) return print_error("Runtime error: ", text.error());
    std::fwrite(text->data(), 1, text->size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int run_file(const std::string& path) {
  auto text = read_script(path);
  return text ? run_source(*text) : 1;
}

int parse_file(const std::string& path) {
  auto text = read_script(path);
  if (!text) return 1;
  auto tree = parse_program(*text);
  if (!tree) return print_error("Parse error: ", tree.error());
  auto write = [](std::string_view piece) { return std::fwrite(piece.data(), 1, piece.size(), stdout) == piece.size(); };
  // A print that cannot be written (a full disk, a closed pipe) stops at once and fails.
  PrintEnd end = print_tree(*tree.value(), write);
  if (end == PrintEnd::TooDeep) return print_error("Parse error: ", kTooDeepToPrint);
  bool written = end == PrintEnd::Complete && write("\n") && std::fflush(stdout) == 0;
  if (!written) return print_error("Error writing output: ", os_error_text(errno));
  return 0;
}

int eval_text(const std::string& text) { return run_source(text); }

}  // namespace ostrel
