#include "interpreter/scope.hpp"

namespace ostrel {

int Scope::position(Symbol name) const {
  if (index_.empty()) {
    for (size_t i = 0; i < bindings_.size(); ++i)
      if (bindings_[i].name == name) return static_cast<int>(i);
    return -1;
  }
  size_t mask = index_.size() - 1;
  for (size_t slot = name & mask;; slot = (slot + 1) & mask) {
    uint32_t entry = index_[slot];
    if (entry == 0) return -1;
    if (bindings_[entry - 1].name == name) return static_cast<int>(entry - 1);
  }
}

const Value* Scope::find(Symbol name) const {
  int at = position(name);
  return at < 0 ? nullptr : &bindings_[at].value;
}

Value* Scope::find(Symbol name) {
  int at = position(name);
  return at < 0 ? nullptr : &bindings_[at].value;
}

void Scope::define(Symbol name, Value value) {
  if (Value* existing = find(name)) {
    *existing = std::move(value);
    return;
  }
  bindings_.push_back({name, std::move(value)});
  if (bindings_.size() <= kLinearLimit) return;
  // Keep the table at most half full.
  if (bindings_.size() * 2 > index_.size()) rebuild_index();
  else add_to_index(bindings_.size() - 1);
}

void Scope::add_to_index(size_t position) {
  size_t mask = index_.size() - 1;
  size_t slot = bindings_[position].name & mask;
  while (index_[slot] != 0) slot = (slot + 1) & mask;
  index_[slot] = static_cast<uint32_t>(position + 1);
}

void Scope::rebuild_index() {
  size_t size = 32;
  while (size < bindings_.size() * 4) size *= 2;
  index_.assign(size, 0);
  for (size_t i = 0; i < bindings_.size(); ++i) add_to_index(i);
}

Scope& ScopeRef::writable() {
  if (!scope_) {
    scope_ = new Scope;
  } else if (scope_->is_shared()) {
    Scope* copy = static_cast<Scope*>(scope_->clone());
    release(scope_);
    scope_ = copy;
  }
  return *scope_;
}

}  // namespace ostrel
