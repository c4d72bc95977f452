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

void bind_predefined(Globals& globals, SymbolTable& symbols, const std::vector<Module>& modules) {
  for (const Builtin& builtin : builtins()) globals[globals.slot_of(symbols.intern(builtin.name))] = Value::builtin(builtin);
  for (const Module& module : modules) globals[globals.slot_of(symbols.intern(module.name))] = module_value(module);
}

}  // namespace ostrel
