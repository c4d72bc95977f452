#include "stdlib/library.hpp"

#include <string>
#include <utility>

#include "stdlib/module.hpp"

namespace ostrel::stdlib {

Module module(std::string_view name, std::initializer_list<Member> members) {
  Module table{std::string(name), {}};
  table.members.reserve(members.size());
  for (const Member& member : members) {
    std::string full_name = table.name + "." + std::string(member.name);
    BuiltinFunction call = [full_name, function = member.function](const ValueList& values, Caller& caller) {
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
