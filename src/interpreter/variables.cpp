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

}  // namespace ostrel
