#pragma once
// What the interactive loop does: its commands (the words that start with a colon and steer the
// loop instead of running as code) and the session that runs inputs in the interpreter it keeps
// across them. Write and flush errors (a closed pipe, a full disk) are ignored: the loop goes on
// either way.
#include <memory>
#include <string_view>

#include "interpreter/interpreter.hpp"

namespace ostrel {

enum class LoopCommand { Quit, Help, ListVariables, Reset, ShowTree, NotACommand };

// Classifies a line trimmed at both ends; the match is exact and case-sensitive. ":ast" followed
// by one blank shows a tree; ":ast" alone, ":q!" and other colon words are code.
LoopCommand classify_command(std::string_view trimmed_line);

// The text that follows ":ast " in a ShowTree line (blanks after it included).
std::string_view tree_source(std::string_view trimmed_line);

extern const std::string_view kHelpText;

class ReplSession {
 public:
  ReplSession();

  // Parses and runs one complete input, then writes the lines it printed and its value (unless
  // None) or its error, all on standard output. Flushes it.
  void execute_and_print(std::string_view source);

  // Writes the syntax tree of the source, or its parse error; nothing runs.
  void show_tree(std::string_view source);

  // Writes the `:env` listing of the user's variables.
  void list_variables();

  // Replaces the interpreter, its variables and its recorded lines, with a fresh one.
  void reset();

 private:
  // A new interpreter with an empty sink of its own.
  void start_afresh();

  std::unique_ptr<Interpreter> interpreter_;
  CaptureSink* output_ = nullptr;  // owned by the interpreter
};

}  // namespace ostrel
