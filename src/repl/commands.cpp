#include "repl/commands.hpp"

#include <cstdio>
#include <string>
#include <vector>

#include "ast/print_tree.hpp"
#include "interpreter/limits.hpp"
#include "parser/parse_program.hpp"
#include "repl/run_and_report.hpp"
#include "repl/variable_listing.hpp"
#include "stdlib/library.hpp"

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

ReplSession::ReplSession() { start_afresh(); }

void ReplSession::start_afresh() {
  // The old interpreter goes first: its variables may hold all the memory the new one needs.
  interpreter_.reset();
  auto sink = std::make_unique<CaptureSink>();
  output_ = sink.get();
  interpreter_ = std::make_unique<Interpreter>(std::move(sink), stdlib::modules());
}

void ReplSession::execute_and_print(std::string_view source) {
  // Lines printed by the input appear only now, after it has finished running; once shown they
  // are dropped.
  run_and_report(source, *interpreter_, stdout, [this] {
    for (const std::string& line : output_->take_lines()) {
      write_stdout(line);
      write_stdout("\n");
    }
  });
}

void ReplSession::show_tree(std::string_view source) {
  auto program = parse_program(source);
  if (!program) {
    write_error_line(stdout, kParseErrorPrefix, program.error());
    return;
  }
  // Streamed: the print of a long operator chain can be larger than memory.
  PrintEnd end = print_tree(*program.value(), [](std::string_view piece) {
    write_stdout(piece);
    return true;
  });
  write_stdout("\n");
  if (end == PrintEnd::TooDeep) write_error_line(stdout, kParseErrorPrefix, kTooDeepToPrint);
}

void ReplSession::list_variables() {
  // The listing needs memory of its own, and a variable may hold all there was.
  Result<std::string> listing = reporting_memory_errors([this]() -> Result<std::string> {
    std::vector<ListedVariable> variables;
    interpreter_->for_each_binding([&variables](std::string_view name, const Value& value) {
      if (is_predefined_name(name)) return;
      std::string shown;
      value.display_to(shown, kDisplayBytesToShorten);
      variables.push_back({std::string(name), shorten_display(std::move(shown))});
    });
    return format_variable_listing(std::move(variables));
  });
  if (listing) write_stdout(*listing);
  else write_error_line(stdout, kRuntimeErrorPrefix, listing.error());
}

void ReplSession::reset() {
  start_afresh();
  write_stdout("Environment reset.\n");
}

}  // namespace ostrel
