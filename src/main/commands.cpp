#include "main/commands.hpp"

#include <cerrno>
#include <cstdio>
#include <optional>

#include "ast/print_tree.hpp"
#include "grammar/match_program.hpp"
#include "main/error_output.hpp"
#include "main/run_source.hpp"
#include "parser/parse_program.hpp"
#include "support/io.hpp"
#include "support/os_error.hpp"

namespace ostrel {
namespace {

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

}  // namespace

int run_file(const std::string& path) {
  auto text = read_script(path);
  return text ? run_source(*text) : 1;
}

int parse_file(const std::string& path) {
  auto text = read_script(path);
  if (!text) return 1;
  auto tree = parse_program(*text);
  if (!tree) {
    print_error("Parse error: ", tree.error());
    return 1;
  }
  auto write = [](std::string_view piece) { return std::fwrite(piece.data(), 1, piece.size(), stdout) == piece.size(); };
  // A print that cannot be written (a full disk, a closed pipe) stops at once and fails.
  PrintEnd end = print_tree(*tree.value(), write);
  if (end == PrintEnd::TooDeep) {
    print_error("Parse error: ", kTooDeepToPrint);
    return 1;
  }
  bool written = end == PrintEnd::Complete && write("\n") && std::fflush(stdout) == 0;
  if (!written) {
    print_error("Error writing output: ", os_error_text(errno));
    return 1;
  }
  return 0;
}

int eval_text(const std::string& text) { return run_source(text); }

}  // namespace ostrel
