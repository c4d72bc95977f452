#include "interpreter/environment.hpp"

namespace ostrel {

void Environment::define(Symbol name, Value value) {
  if (scopes_.empty()) return;
  scopes_.back().writable().define(name, std::move(value));
}

void Environment::assign(Symbol name, Value value) {
  if (Value* slot = binding_for_update(name)) *slot = std::move(value);
  else define(name, std::move(value));
}

Value* Environment::binding_for_update(Symbol name) {
  for (auto it = scopes_.rbegin(); it != scopes_.rend(); ++it) {
    if (*it && (*it)->find(name)) return it->writable().find(name);
  }
  return nullptr;
}

Environment Environment::capture(const std::vector<Symbol>& names) const {
  Environment closure;
  ScopeRef captured;
  for (Symbol name : names) {
    if (const Value* value = lookup(name)) captured.writable().define(name, *value);
  }
  if (captured) closure.scopes_.push_back(std::move(captured));
  return closure;
}

void Environment::rebuild(const Environment& base, ScopeRef top) {
  scopes_.assign(base.scopes_.begin(), base.scopes_.end());
  scopes_.push_back(std::move(top));
}

}  // namespace ostrel
