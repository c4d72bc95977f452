#pragma once
// Where variables live while a program runs. The top level's own variables are the slots of
// the global table, which grows as lowering meets new names (the REPL extends it input by
// input); everything else lives in frames of slots on the evaluator's value stack. A slot whose
// variable is not bound (yet, or any more) holds the unbound mark, which never leaves a slot.
#include <cstdint>
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

class Globals {
 public:
  // The name's slot, made unbound on first use.
  uint32_t slot_of(Symbol name);
  Value& operator[](uint32_t slot) { return values_[slot]; }

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

}  // namespace ostrel
