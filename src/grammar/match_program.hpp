#pragma once
// Running the grammar over a whole source text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "grammar/match_tree.hpp"
#include "support/result.hpp"

namespace ostrel::grammar {

// Positions in the match tree are 32-bit; longer texts are refused.
inline constexpr std::size_t max_source_bytes = UINT32_MAX - 1;

// The matches of the program (the tree refers to `source`, which must outlive it), or the rendered
// six-line syntax error.
Result<MatchTree> match_program(std::string_view source);

}  // namespace ostrel::grammar
