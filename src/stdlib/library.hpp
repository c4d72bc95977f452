#pragma once
// The system library as the interpreter's creator hands it over: its modules, in the order the
// global scope binds them (pacman, systemd, aur, fs, env, system).
#include <vector>

#include "interpreter/builtins.hpp"

namespace ostrel::stdlib {

const std::vector<Module>& modules();

}  // namespace ostrel::stdlib
