#pragma once
// What a fresh interpreter's global table holds: the builtins, then one dictionary per library
// module, bound in table order.
#include <vector>

#include "interpreter/builtins.hpp"
#include "interpreter/symbols.hpp"
#include "interpreter/variables.hpp"

namespace ostrel {

void bind_predefined(Globals& globals, SymbolTable& symbols, const std::vector<Module>& modules);

}  // namespace ostrel
