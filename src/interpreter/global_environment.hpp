#pragma once
// What a fresh interpreter's global scope holds: the builtins, then one dictionary per library
// module, bound in table order.
#include <vector>

#include "interpreter/builtins.hpp"
#include "interpreter/environment.hpp"
#include "interpreter/symbols.hpp"

namespace ostrel {

Environment global_environment(SymbolTable& symbols, const std::vector<Module>& modules);

}  // namespace ostrel
