#pragma once
// A system-library module: its name ("pacman") and its members, each reached as "pacman.install".
#include <functional>
#include <string_view>
#include <vector>

#include "interpreter/output_sink.hpp"
#include "interpreter/value.hpp"
#include "stdlib/arguments.hpp"
#include "support/result.hpp"

namespace ostrel::stdlib {

using MemberFunction = std::function<Result<Value>(const Arguments&, OutputSink&)>;

struct Member {
  std::string_view name;
  MemberFunction function;
};

struct Module {
  std::string_view name;
  std::vector<Member> members;
};

const Module& pacman_module();
const Module& aur_module();
const Module& systemd_module();
const Module& system_module();
const Module& fs_module();
const Module& env_module();

}  // namespace ostrel::stdlib
