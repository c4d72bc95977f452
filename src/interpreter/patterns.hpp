#pragma once
// Whether a value fits the pattern of a match arm, and what the arm binds if it does: for the
// matches the tree walk runs. Compiled arms do the same tests, in the same order, as
// instructions (see the match compiler in compile_instructions.cpp).
#include <utility>
#include <vector>

#include "interpreter/code.hpp"

namespace ostrel {

// Frame slots and the values to bind in them.
using Bindings = std::vector<std::pair<uint32_t, Value>>;

// On a match appends the pattern's bindings in order (a name may appear twice; the later one
// wins when they are bound) and returns true; otherwise leaves `bindings` as it was.
bool match_pattern(const code::Pattern& pattern, const Value& value, Bindings& bindings);

}  // namespace ostrel
