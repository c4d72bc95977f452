#pragma once
// The stack of scopes in force, global scope first. A shared scope (the closure of a function
// value, in use by a call) is copied before it is written, so a closure never sees later changes
// and a call never changes its creator's variables.
#include <vector>

#include "interpreter/scope.hpp"

namespace ostrel {

class Environment {
 public:
  // A new scope on top; it takes no memory until something is bound in it.
  void push_scope() { scopes_.emplace_back(); }
  void pop_scope() {
    if (!scopes_.empty()) scopes_.pop_back();
  }
  size_t depth() const { return scopes_.size(); }

  // Binds the name in the innermost scope (shadowing outer bindings of it).
  void define(Symbol name, Value value);
  // Replaces the nearest binding of the name, or binds it in the innermost scope.
  void assign(Symbol name, Value value);
  // The nearest binding's value, or null. Inline: reading a name is the commonest step of all.
  const Value* lookup(Symbol name) const {
    for (auto it = scopes_.rbegin(); it != scopes_.rend(); ++it) {
      if (!*it) continue;
      if (const Value* found = (*it)->find(name)) return found;
    }
    return nullptr;
  }
  // The nearest binding's value for changing in place (its scope unshared first), or null.
  Value* binding_for_update(Symbol name);

  // The environment a function made now closes over: one scope holding the current values of
  // those of `names` that are bound. Values are shared, not copied, and a name bound later is
  // never seen by it.
  Environment capture(const std::vector<Symbol>& names) const;
  // Becomes the scopes of `base`, shared, with `top` above them (the environment of a call),
  // reusing this environment's storage.
  void rebuild(const Environment& base, ScopeRef top);
  void clear() { scopes_.clear(); }

  const std::vector<ScopeRef>& scopes() const { return scopes_; }

 private:
  std::vector<ScopeRef> scopes_;
};

// Pushes a scope for as long as it lives, so that every exit, errors included, pops it.
class ScopeGuard {
 public:
  explicit ScopeGuard(Environment& environment) : environment_(environment) { environment_.push_scope(); }
  ~ScopeGuard() { environment_.pop_scope(); }
  ScopeGuard(const ScopeGuard&) = delete;
  ScopeGuard& operator=(const ScopeGuard&) = delete;

 private:
  Environment& environment_;
};

}  // namespace ostrel
