#include "main/commands.hpp"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string_view>

#include "ast/print_tree.hpp"
#include "grammar/match_program.hpp"
#include "interpreter/interpreter.hpp"
#include "parser/parse_program.hpp"
#include "repl/run_and_report.hpp"
#include "stdlib/library.hpp"
#include "support/io.hpp"
#include "support/os_error.hpp"

namespace ostrel {
namespace {

// Writes one error line on standard error and returns the failure status.
int fail(std::string_view prefix, std::string_view message) {
  write_error_line(stderr, prefix, message);
  return 1;
}

// The script's text, or the error printed and no value. Reading stops at the longest text the
// grammar takes, so that an endless device such as /dev/zero cannot exhaust memory.
std::optional<std::string> read_script(const std::string& path) {
  auto text = read_text_file(path, grammar::max_source_bytes);
  if (!text) {
    fail("Error reading file '" + path + "': ", text.error());
    return std::nullopt;
  }
  return std::move(text).value();
}

// Runs one complete source text (`run` and `eval`) in a fresh interpreter whose printed lines go
// to standard output as they come.
int run_text(std::string_view source) {
  Interpreter interpreter(std::make_unique<StdoutSink>(), stdlib::modules());
  return run_and_report(source, interpreter, stderr) ? 0 : 1;
}

}  // namespace

int run_file(const std::string& path) {
  auto text = read_script(path);
  return text ? run_text(*text) : 1;
}

int parse_file(const std::string& path) {
  auto text = read_script(path);
  if (!text) return 1;
  auto tree = parse_program(*text);
  if (!tree) return fail(kParseErrorPrefix, tree.error());
  auto write = [](std::string_view piece) { return std::fwrite(piece.data(), 1, piece.size(), stdout) == piece.size(); };
  // A print that cannot be written (a full disk, a closed pipe) stops at once and fails.
  PrintEnd end = print_tree(*tree.value(), write);
  if (end == PrintEnd::TooDeep) return fail(kParseErrorPrefix, kTooDeepToPrint);
  bool written = end == PrintEnd::Complete && write("\n") && std::fflush(stdout) == 0;
  if (!written) return fail("Error writing output: ", os_error_text(errno));
  return 0;
}

int eval_text(const std::string& text) { return run_text(text); }

}  // namespace ostrel
