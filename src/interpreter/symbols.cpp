#include "interpreter/symbols.hpp"

namespace ostrel {

Symbol SymbolTable::intern(std::string_view name) {
  auto [it, inserted] = ids_.try_emplace(std::string(name), static_cast<Symbol>(names_.size()));
  if (inserted) names_.push_back(&it->first);
  return it->second;
}

}  // namespace ostrel
