#pragma once
// How a module of the system library is written: one table of each member's own name and its
// function, beside the functions; the arguments of a call with the checks and messages all
// members share; and members that run one fixed command line.
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/builtins.hpp"
#include "interpreter/output_sink.hpp"
#include "interpreter/value.hpp"
#include "support/result.hpp"

namespace ostrel::stdlib {

// The arguments of one member call.
class Arguments {
 public:
  Arguments(std::string_view function_name, ValueSpan values)
      : function_name_(function_name), values_(values) {}

  // The full dotted name, as messages show it ("fs.read").
  const std::string& function_name() const { return function_name_; }
  size_t count() const { return values_.size(); }
  // Argument `number`, counted from 1; it must exist.
  const Value& at(size_t number) const { return values_[number - 1]; }

  // A copy of the text of argument `number` (from 1), or "missing argument" or "must be a
  // string" when it is absent or not a String.
  Result<std::string> text(size_t number) const;
  // Like `text`, but refuses a leading '-': a package name or search query never has one, and
  // the program would take it for an option ("-u" would upgrade the whole system).
  Result<std::string> package_name(size_t number) const;
  // An error when the call was given any argument at all.
  std::optional<Error> refuse_any() const;

 private:
  std::string function_name_;
  ValueSpan values_;
};

// A member gets its arguments, with the checks all members share, and the sink for the lines
// of the programs it runs.
using MemberFunction = std::function<Result<Value>(const Arguments&, OutputSink&)>;

struct Member {
  std::string_view name;  // "read", reached as fs.read
  MemberFunction function;
};

// The module as the global scope binds it: each member a builtin named "module.member".
Module module(std::string_view name, std::initializer_list<Member> members);

Module pacman_module();
Module systemd_module();
Module aur_module();
Module fs_module();
Module env_module();
Module system_module();

// What a member takes from the script: nothing; any text (a shell line); a unit, which may
// begin with "-" ("-.mount") and then follows "--" so that it cannot be read as an option; or a
// package name or search query, where a leading "-" is refused.
enum class Operand { None, Text, Unit, PackageName };

MemberFunction command_member(Operand operand, std::string program, std::vector<std::string> fixed_arguments);

}  // namespace ostrel::stdlib
