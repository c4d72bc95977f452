#pragma once
// Parsing and evaluation recurse once per nesting level of the program; they run on a thread
// with a large stack so that the explicit depth caps, not the native stack, bound them.
#include <functional>

namespace ostrel {

int run_on_big_stack(const std::function<int()>& task);

}  // namespace ostrel
