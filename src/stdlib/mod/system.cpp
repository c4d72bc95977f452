// Any program with its arguments, or a command line for the shell.
#include <fmt/core.h>

#include "stdlib/module.hpp"
#include "stdlib/run_command.hpp"

namespace ostrel::stdlib {
namespace {

// Numbers and truth values become the words a command line expects ("3", "2.5", "true").
Result<std::string> program_argument(const Arguments& arguments, size_t number) {
  const Value& value = arguments.at(number);
  switch (value.kind()) {
    case Value::Kind::String:
      return value.as_string();
    case Value::Kind::Int:
      return std::to_string(value.as_int());
    case Value::Kind::Float:
      return value.display();
    case Value::Kind::Bool:
      return std::string(value.as_bool() ? "true" : "false");
    default:
      return Error{fmt::format("{}() argument {} must be a string or number, got {}", arguments.function_name(),
                               number, value.display_in_message())};
  }
}

Result<Value> exec(const Arguments& arguments, OutputSink& output) {
  OSTREL_TRY(program, arguments.text(1));
  std::vector<std::string> program_arguments;
  for (size_t number = 2; number <= arguments.count(); ++number) {
    OSTREL_TRY(text, program_argument(arguments, number));
    program_arguments.push_back(std::move(text));
  }
  return run_command(program, program_arguments, output);
}

}  // namespace

Module system_module() {
  return module("system", {
      {"exec", exec},
      {"shell", command_member(Operand::Text, "sh", {"-c"})},
  });
}

}  // namespace ostrel::stdlib
