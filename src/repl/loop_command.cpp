#include "repl/loop_command.hpp"

namespace ostrel {
namespace {

constexpr std::string_view kShowTreePrefix = ":ast ";

}  // namespace

LoopCommand classify_command(std::string_view t) {
  if (t == ":quit" || t == ":exit" || t == ":q") return LoopCommand::Quit;
  if (t == ":help" || t == ":h" || t == ":?") return LoopCommand::Help;
  if (t == ":env") return LoopCommand::ListVariables;
  if (t == ":reset") return LoopCommand::Reset;
  if (t.substr(0, kShowTreePrefix.size()) == kShowTreePrefix) return LoopCommand::ShowTree;
  return LoopCommand::NotACommand;
}

std::string_view tree_source(std::string_view trimmed_line) {
  return trimmed_line.substr(kShowTreePrefix.size());
}

const std::string_view kHelpText =
    "Ostrel REPL Commands:\n"
    "  :help, :h, :?   Show this help message\n"
    "  :quit, :exit, :q Exit the REPL\n"
    "  :env             Show all defined variables\n"
    "  :reset           Reset the interpreter environment\n"
    "  :ast <expr>      Show the AST for an expression\n"
    "\n"
    "Enter Ostrel expressions or statements to evaluate.\n"
    "Multiline input: lines ending with ':', '(', '[', '{', or '\\'\n"
    "  are automatically continued on the next line.\n";

}  // namespace ostrel
