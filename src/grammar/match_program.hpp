#pragma once
// Running the grammar over a whole source text.
#include <string_view>

#include "grammar/match_tree.hpp"
#include "support/result.hpp"

namespace ostrel::grammar {

// The matches of the program (the tree refers to `source`, which must outlive it), or the rendered
// six-line syntax error.
Result<MatchTree> match_program(std::string_view source);

}  // namespace ostrel::grammar
