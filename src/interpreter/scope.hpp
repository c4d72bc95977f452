#pragma once
// One level of variables. A scope is shared between an environment and the closures taken from
// it, and a shared scope is never written: the environment copies it first (see Environment).
#include <cstdint>
#include <vector>

#include "interpreter/symbols.hpp"
#include "interpreter/value.hpp"

namespace ostrel {

struct Binding {
  Symbol name;
  Value value;
};

class Scope final : public HeapObject {
 public:
  const Value* find(Symbol name) const;
  Value* find(Symbol name);
  // Binds the name, replacing this scope's own binding of it if there is one.
  void define(Symbol name, Value value);
  // In the order the names were first bound.
  const std::vector<Binding>& bindings() const { return bindings_; }
  bool is_shared() const { return refs > 1; }
  HeapObject* clone() const override { return new Scope(*this); }

 private:
  static constexpr size_t kLinearLimit = 8;  // small scopes are scanned, larger ones hashed
  int position(Symbol name) const;
  void add_to_index(size_t position);
  void rebuild_index();

  std::vector<Binding> bindings_;
  std::vector<uint32_t> index_;  // open addressing: position + 1, 0 for a free slot
};

// An owning reference to a scope; a null reference stands for a scope that is still empty.
class ScopeRef {
 public:
  ScopeRef() = default;
  static ScopeRef fresh() { return ScopeRef(new Scope); }
  ScopeRef(const ScopeRef& other) : scope_(other.scope_) {
    if (scope_) ++scope_->refs;
  }
  ScopeRef(ScopeRef&& other) noexcept : scope_(other.scope_) { other.scope_ = nullptr; }
  ScopeRef& operator=(ScopeRef other) noexcept {
    std::swap(scope_, other.scope_);
    return *this;
  }
  ~ScopeRef() {
    if (scope_) release(scope_);
  }

  explicit operator bool() const { return scope_ != nullptr; }
  const Scope* get() const { return scope_; }
  const Scope* operator->() const { return scope_; }
  // The scope for writing: created when still empty, copied first when shared.
  Scope& writable();

 private:
  explicit ScopeRef(Scope* scope) : scope_(scope) {}
  Scope* scope_ = nullptr;
};

}  // namespace ostrel
