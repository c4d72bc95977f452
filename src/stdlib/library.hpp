#pragma once
// The system library as the interpreter's creator hands it over: its modules, in the order the
// global scope binds them (the list itself is in module.cpp).
#include <vector>

#include "interpreter/builtins.hpp"

namespace ostrel::stdlib {

const std::vector<Module>& modules();

}  // namespace ostrel::stdlib
