#include "stdlib/call.hpp"

#include <array>

#include <fmt/core.h>

#include "stdlib/module.hpp"

namespace ostrel::stdlib {
namespace {

const Member* find_member(const Module& module, std::string_view member_name) {
  for (const Member& member : module.members) {
    if (member.name == member_name) return &member;
  }
  return nullptr;
}

// The module whose "name." begins `function_name`; "system." and "systemd." never both match.
const Module* find_module(std::string_view function_name) {
  const std::array<const Module*, 6> modules{&pacman_module(), &aur_module(), &systemd_module(),
                                             &system_module(), &fs_module(),  &env_module()};
  for (const Module* module : modules) {
    std::string_view name = module->name;
    if (function_name.size() > name.size() && function_name.substr(0, name.size()) == name &&
        function_name[name.size()] == '.') {
      return module;
    }
  }
  return nullptr;
}

}  // namespace

std::optional<Result<Value>> call(std::string_view name, const ValueList& arguments, OutputSink& output) {
  const Module* module = find_module(name);
  if (module == nullptr) return std::nullopt;
  std::string_view member_name = name.substr(module->name.size() + 1);
  const Member* member = find_member(*module, member_name);
  if (member == nullptr) return Result<Value>(Error{fmt::format("unknown {} function: {}", module->name, member_name)});
  return member->function(Arguments(name, arguments), output);
}

}  // namespace ostrel::stdlib
