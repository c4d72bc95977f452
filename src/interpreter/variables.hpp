#pragma once
// Where variables live while a program runs. The top level's own variables are the slots of
// the global table, which grows as lowering meets new names (the REPL extends it input by
// input); everything else lives in frames of slots on the evaluator's value stack. A slot whose
// variable is not bound (yet, or any more) holds the unbound mark, which never leaves a slot.
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_map>
#include <vector>

#include "interpreter/builtins.hpp"
#include "interpreter/symbols.hpp"
#include "interpreter/value.hpp"

namespace ostrel {

extern const Builtin kUnboundMark;

inline Value unbound() { return Value::builtin(kUnboundMark); }
inline bool is_bound(const Value& slot) {
  return !slot.is(Value::Kind::BuiltinFn) || &slot.as_builtin() != &kUnboundMark;
}

// Puts a value into a slot that owns nothing (None or unbound), skipping the release that an
// assignment would make.
inline void fill(Value& empty_slot, Value&& value) { new (&empty_slot) Value(std::move(value)); }

// A slot may hold a value that another slot keeps alive for longer, without a reference of its
// own: it is lent the value, and emptied without a release before its frame goes. It must
// never be assigned or moved from meanwhile; copies of it are counted as usual.
inline void lend(Value& empty_slot, const Value& value) {
  std::memcpy(static_cast<void*>(&empty_slot), static_cast<const void*>(&value), sizeof(Value));
}
inline void forget(Value& lent_slot) { new (&lent_slot) Value(); }

class Globals {
 public:
  // The name's slot, made unbound on first use.
  uint32_t slot_of(Symbol name);
  Value& operator[](uint32_t slot) { return values_[slot]; }
  const Value& operator[](uint32_t slot) const { return values_[slot]; }

  // Every bound variable, in the order the names were first met.
  template <class Visit>
  void for_each_bound(Visit visit) const {
    for (size_t i = 0; i < values_.size(); ++i)
      if (is_bound(values_[i])) visit(names_[i], values_[i]);
  }

 private:
  std::vector<Value> values_;
  std::vector<Symbol> names_;
  std::unordered_map<Symbol, uint32_t> slots_;
};

// The slots of the running frames, one after another. Opening and closing a frame only touches
// its own slots; slots above the top hold None. Growing moves the slots, so a reference into the
// stack lasts only until the next frame opens.
class ValueStack {
 public:
  size_t top() const { return top_; }
  Value& operator[](size_t at) { return slots_[at]; }
  // `count` slots holding None, of which those from `unbound_from` to `unbound_to` are unbound.
  void push(size_t count, size_t unbound_from, size_t unbound_to) {
    if (top_ + count > capacity_) grow(top_ + count);
    // The slots hold None, which owns nothing: they can be overwritten as they are.
    Value* slots = slots_.get() + top_;
    for (size_t i = unbound_from; i < unbound_to; ++i) new (&slots[i]) Value(unbound());
    top_ += count;
  }
  // The first slot from `top` may hold a lent value (see lend), which is not released.
  void pop_to(size_t top, bool first_lent = false) {
    Value* slot = slots_.get() + top;
    if (first_lent) forget(*slot++);
    for (Value* end = slots_.get() + top_; slot != end; ++slot) slot->reset();
    top_ = top;
  }

 private:
  void grow(size_t needed);

  std::unique_ptr<Value[]> slots_;
  size_t top_ = 0;
  size_t capacity_ = 0;
};

}  // namespace ostrel
