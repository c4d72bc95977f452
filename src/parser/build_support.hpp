#pragma once
// What every builder shares: reading matches and passing the first message up unchanged.
#include <cstddef>
#include <string>

#include "grammar/match_tree.hpp"
#include "support/result.hpp"

// Evaluates `result_expression` (a Result); on an error, returns that error from the enclosing
// function, otherwise declares `name` holding the value.
#define OSTREL_TRY(name, result_expression)                                \
  auto name##_result = (result_expression);                                \
  if (!name##_result) return std::move(name##_result).take_error();        \
  auto name = std::move(name##_result).value()

namespace ostrel {

// The inner match at `index`, or the message for a match that lacks one the grammar always gives.
inline Result<grammar::RuleMatch> inner_match(grammar::RuleMatch match, std::size_t index) {
  grammar::MatchList inner = match.inner();
  if (index >= inner.size()) return Error{"incomplete " + std::string(grammar::name_of(match.rule()))};
  return inner[index];
}

}  // namespace ostrel
