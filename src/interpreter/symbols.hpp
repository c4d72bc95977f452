#pragma once
// Variable names are interned once, when a program is compiled, so that scopes compare small
// integers instead of strings.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ostrel {

using Symbol = uint32_t;

class SymbolTable {
 public:
  Symbol intern(std::string_view name);
  const std::string& name(Symbol symbol) const { return *names_[symbol]; }

 private:
  std::unordered_map<std::string, Symbol> ids_;
  std::vector<const std::string*> names_;  // the keys of ids_, which never move
};

}  // namespace ostrel
