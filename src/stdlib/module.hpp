#pragma once
// How a module of the system library declares its members: one table of each member's own name
// and its function, written beside the functions.
#include <functional>
#include <initializer_list>
#include <string_view>

#include "interpreter/builtins.hpp"
#include "interpreter/output_sink.hpp"
#include "interpreter/value.hpp"
#include "stdlib/arguments.hpp"
#include "support/result.hpp"

namespace ostrel::stdlib {

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

}  // namespace ostrel::stdlib
