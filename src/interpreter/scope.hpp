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
  const Value* find(Symbol name) const {
    int at = position(name);
    return at < 0 ? nullptr : &bindings_[at].value;
  }
  Value* find(Symbol name) {
    int at = position(name);
    return at < 0 ? nullptr : &bindings_[at].value;
  }
  // Binds the name, replacing this scope's own binding of it if there is one.
  void define(Symbol name, Value value) {
    if (Value* existing = find(name)) {
      *existing = std::move(value);
      return;
    }
    bindings_.push_back({name, std::move(value)});
    if (bindings_.size() > kLinearLimit) index_last_binding();
  }
  void reserve(size_t bindings) { bindings_.reserve(bindings); }
  // In the order the names were first bound.
  const std::vector<Binding>& bindings() const { return bindings_; }
  bool is_shared() const { return refs > 1; }
  HeapObject* clone() const override { return new Scope(*this); }
  // Small scopes are kept for reuse: a call makes and drops one each time.
  void dispose() override;
  static Scope* make();

 private:
  static constexpr size_t kLinearLimit = 8;  // small scopes are scanned, larger ones hashed
  // Lookups are the hottest path of evaluation: kept inline.
  int position(Symbol name) const {
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
  void index_last_binding();
  void add_to_index(size_t position);
  void rebuild_index();

  std::vector<Binding> bindings_;
  std::vector<uint32_t> index_;  // open addressing: position + 1, 0 for a free slot
};

// An owning reference to a scope; a null reference stands for a scope that is still empty.
class ScopeRef {
 public:
  ScopeRef() = default;
  static ScopeRef fresh() { return ScopeRef(Scope::make()); }
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
  const Scope* operator->() const { return scope_; }
  // The scope for writing: created when still empty, copied first when shared.
  Scope& writable() {
    if (scope_ && !scope_->is_shared()) return *scope_;
    return make_writable();
  }

 private:
  explicit ScopeRef(Scope* scope) : scope_(scope) {}
  Scope& make_writable();
  Scope* scope_ = nullptr;
};

}  // namespace ostrel
