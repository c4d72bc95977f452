#include "stdlib/module.hpp"

#include <fmt/core.h>

#include <utility>

#include "stdlib/library.hpp"
#include "stdlib/run_command.hpp"

namespace ostrel::stdlib {

Result<std::string> Arguments::text(size_t number) const {
  if (count() < number) return Error{fmt::format("{}() missing argument {}", function_name_, number)};
  const Value& value = at(number);
  if (!value.is(Value::Kind::String)) {
    return Error{fmt::format("{}() argument {} must be a string, got {}", function_name_, number, value.display_in_message())};
  }
  return value.as_string();
}

Result<std::string> Arguments::package_name(size_t number) const {
  Result<std::string> name = text(number);
  if (name && !name->empty() && name->front() == '-') {
    return Error{fmt::format("{}() argument {} must not begin with '-', got {}", function_name_, number, *name)};
  }
  return name;
}

std::optional<Error> Arguments::refuse_any() const {
  if (count() == 0) return std::nullopt;
  return Error{fmt::format("{}() takes no arguments", function_name_)};
}

namespace {

Result<std::string> take_operand(Operand operand, const Arguments& arguments) {
  return operand == Operand::PackageName ? arguments.package_name(1) : arguments.text(1);
}

}  // namespace

MemberFunction command_member(Operand operand, std::string program, std::vector<std::string> fixed_arguments) {
  return [operand, program = std::move(program), fixed_arguments = std::move(fixed_arguments)](
             const Arguments& arguments, OutputSink& output) -> Result<Value> {
    std::vector<std::string> command_arguments = fixed_arguments;
    if (operand == Operand::None) {
      if (auto refusal = arguments.refuse_any()) return std::move(*refusal);
    } else {
      OSTREL_TRY(text, take_operand(operand, arguments));
      if (operand == Operand::Unit && !text.empty() && text.front() == '-') command_arguments.push_back("--");
      command_arguments.push_back(std::move(text));
    }
    return run_command(program, command_arguments, output);
  };
}

Module module(std::string_view name, std::initializer_list<Member> members) {
  Module table{std::string(name), {}};
  table.members.reserve(members.size());
  for (const Member& member : members) {
    std::string full_name = table.name + "." + std::string(member.name);
    BuiltinFunction call = [full_name, function = member.function](ValueSpan values, Caller& caller) {
      // A member may start a program or write to a file such as /dev/stdout: what the program
      // printed before comes first.
      caller.output().flush();
      return function(Arguments(full_name, values), caller.output());
    };
    table.members.push_back(Builtin{std::move(full_name), std::move(call)});
  }
  return table;
}

const std::vector<Module>& modules() {
  static const std::vector<Module> table = {pacman_module(), systemd_module(), aur_module(),
                                            fs_module(),     env_module(),     system_module()};
  return table;
}

}  // namespace ostrel::stdlib
