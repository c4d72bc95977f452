#include "stdlib/command_member.hpp"

#include <utility>

#include "stdlib/run_command.hpp"

namespace ostrel::stdlib {
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
      Result<std::string> text = take_operand(operand, arguments);
      if (!text) return std::move(text).take_error();
      if (operand == Operand::Unit && !text->empty() && text->front() == '-') command_arguments.push_back("--");
      command_arguments.push_back(std::move(text).value());
    }
    return run_command(program, command_arguments, output);
  };
}

}  // namespace ostrel::stdlib
