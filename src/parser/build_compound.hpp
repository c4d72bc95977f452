#pragma once
// Compound expressions: bodies, conditionals, loops, matches with their patterns, assignments,
// lambdas and list comprehensions.
#include <vector>

#include "ast/ast.hpp"
#include "grammar/match_tree.hpp"
#include "support/result.hpp"

namespace ostrel {

// A `block_or_expression` match: a `Block` of the block's statements, or the single expression.
Result<ast::ExprPtr> build_block(grammar::RuleMatch body);
Result<ast::ExprPtr> build_if(grammar::RuleMatch conditional);
Result<ast::ExprPtr> build_for_loop(grammar::RuleMatch loop);
Result<ast::ExprPtr> build_while_loop(grammar::RuleMatch loop);
Result<ast::ExprPtr> build_match(grammar::RuleMatch match_expression);
Result<ast::Pattern> build_pattern(grammar::RuleMatch pattern);
Result<std::vector<ast::Pattern>> build_pattern_list(grammar::MatchList patterns);
// An assignment, a compound assignment, or the plain expression when there is no operator.
Result<ast::ExprPtr> build_assignment(grammar::RuleMatch assignment);
Result<ast::ExprPtr> build_lambda(grammar::RuleMatch lambda);
Result<ast::ExprPtr> build_list_comprehension(grammar::RuleMatch comprehension);

}  // namespace ostrel
