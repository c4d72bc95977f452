#pragma once
// The interpreter that the interactive loop keeps across inputs, and what the loop does with it.
#include <memory>
#include <string_view>

#include "interpreter/interpreter.hpp"

namespace ostrel {

class ReplSession {
 public:
  ReplSession();

  // Parses and runs one complete input, then writes the lines it printed and its value (unless
  // None) or its error. Flushes standard output.
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
