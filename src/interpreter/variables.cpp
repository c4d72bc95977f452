#include "interpreter/variables.hpp"

namespace ostrel {

// Only its address matters: no script can reach it.
const Builtin kUnboundMark{"unbound", {}};

uint32_t Globals::slot_of(Symbol name) {
  auto [it, inserted] = slots_.try_emplace(name, static_cast<uint32_t>(values_.size()));
  if (inserted) {
    values_.push_back(unbound());
    names_.push_back(name);
  }
  return it->second;
}

void ValueStack::grow(size_t needed) {
  size_t capacity = capacity_ == 0 ? 1024 : capacity_;
  while (capacity < needed) capacity *= 2;
  auto slots = std::make_unique<Value[]>(capacity);
  for (size_t i = 0; i < top_; ++i) slots[i] = std::move(slots_[i]);
  slots_ = std::move(slots);
  capacity_ = capacity;
}

}  // namespace ostrel
