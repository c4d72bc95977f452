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

Environment Environment::snapshot() const {
  Environment copy;
  copy.scopes_.reserve(scopes_.size());
  for (const ScopeRef& scope : scopes_)
    if (scope) copy.scopes_.push_back(scope);
  return copy;
}

void Environment::rebuild(const Environment& base, ScopeRef top) {
  scopes_.assign(base.scopes_.begin(), base.scopes_.end());
  scopes_.push_back(std::move(top));
}

}  // namespace ostrel
