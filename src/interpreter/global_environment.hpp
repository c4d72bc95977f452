#pragma once
// What a fresh interpreter's global scope holds: the twelve builtins, then the six module
// dictionaries whose members are the system library's functions.
#include "interpreter/environment.hpp"
#include "interpreter/symbols.hpp"

namespace ostrel {

Environment global_environment(SymbolTable& symbols);

}  // namespace ostrel
