#pragma once
// What every builder shares: reading matches, passing the first message up unchanged (with
// OSTREL_TRY).
#include <cstddef>
#include <string>

#include "ast/ast.hpp"
#include "grammar/match_tree.hpp"
#include "support/result.hpp"

namespace ostrel {

// The names every builder reads and writes.
using ast::BinaryOperator;
using ast::ExprPtr;
using ast::make_expr;
using grammar::MatchList;
using grammar::Rule;
using grammar::RuleMatch;

// The inner match at `index`, or the message for a match that lacks one the grammar always gives.
inline Result<grammar::RuleMatch> inner_match(grammar::RuleMatch match, std::size_t index) {
  grammar::MatchList inner = match.inner();
  if (index >= inner.size()) return Error{"incomplete " + std::string(grammar::name_of(match.rule()))};
  return inner[index];
}

}  // namespace ostrel
