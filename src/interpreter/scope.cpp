#include "interpreter/scope.hpp"

namespace ostrel {

void Scope::index_last_binding() {
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

namespace {

struct SparePool {
  std::vector<Scope*> scopes;
  ~SparePool() {
    for (Scope* scope : scopes) delete scope;
  }
};
thread_local SparePool spare;
constexpr size_t kSpareLimit = 64;

}  // namespace

void Scope::dispose() {
  if (index_.empty() && spare.scopes.size() < kSpareLimit) {
    bindings_.clear();
    refs = 1;
    spare.scopes.push_back(this);
    return;
  }
  delete this;
}

Scope* Scope::make() {
  if (spare.scopes.empty()) return new Scope;
  Scope* scope = spare.scopes.back();
  spare.scopes.pop_back();
  return scope;
}

Scope& ScopeRef::make_writable() {
  if (!scope_) {
    scope_ = Scope::make();
  } else if (scope_->is_shared()) {
    Scope* copy = static_cast<Scope*>(scope_->clone());
    release(scope_);
    scope_ = copy;
  }
  return *scope_;
}

}  // namespace ostrel
