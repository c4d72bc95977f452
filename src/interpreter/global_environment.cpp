#include "interpreter/global_environment.hpp"

namespace ostrel {
namespace {

Value module_value(const Module& module) {
  ValuePairs members;
  for (const Builtin& member : module.members) {
    members.emplace_back(Value::string(std::string(module.member_name(member))), Value::builtin(member));
  }
  return Value::dict(std::move(members));
}

}  // namespace

Environment global_environment(SymbolTable& symbols, const std::vector<Module>& modules) {
  Environment environment;
  environment.push_scope();
  for (const Builtin& builtin : builtins()) environment.define(symbols.intern(builtin.name), Value::builtin(builtin));
  for (const Module& module : modules) environment.define(symbols.intern(module.name), module_value(module));
  return environment;
}

}  // namespace ostrel
