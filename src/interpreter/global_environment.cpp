#include "interpreter/global_environment.hpp"

#include <initializer_list>

#include "interpreter/builtins.hpp"

namespace ostrel {
namespace {

struct Module {
  const char* name;
  std::initializer_list<const char*> members;
};

const Module kModules[] = {
    {"pacman", {"install", "remove", "update", "search", "list", "info", "clean"}},
    {"systemd", {"start", "stop", "restart", "enable", "disable", "status"}},
    {"aur", {"install", "search", "update", "info"}},
    {"fs", {"read", "write", "exists", "ls", "mkdir", "remove"}},
    {"env", {"get", "get_or", "set", "remove", "exists", "list", "load"}},
    {"system", {"exec", "shell"}},
};

Value module_value(const Module& module) {
  ValuePairs members;
  for (const char* member : module.members) {
    members.emplace_back(Value::string(member), Value::builtin(std::string(module.name) + "." + member));
  }
  return Value::dict(std::move(members));
}

}  // namespace

Environment global_environment(SymbolTable& symbols) {
  Environment environment;
  environment.push_scope();
  for (const char* name : kBuiltinNames) environment.define(symbols.intern(name), Value::builtin(name));
  for (const Module& module : kModules) environment.define(symbols.intern(module.name), module_value(module));
  return environment;
}

}  // namespace ostrel
