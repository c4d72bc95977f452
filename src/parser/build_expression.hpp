#pragma once
// Expressions: from one expression-level rule match to an `Expr`, or the first message met.
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "ast/ast.hpp"
#include "grammar/match_tree.hpp"
#include "support/result.hpp"

namespace ostrel {

Result<ast::ExprPtr> build_expression(grammar::RuleMatch match);

// The inner match of `match` at `index`, built as an expression.
Result<ast::ExprPtr> build_inner(grammar::RuleMatch match, std::size_t index);

// Each match of the run built in order; the first message wins.
Result<std::vector<ast::ExprPtr>> build_expression_list(grammar::MatchList matches);

// The (key, value) pairs of the `dict_entry` matches of a dictionary literal.
Result<std::vector<std::pair<ast::ExprPtr, ast::ExprPtr>>> build_dict_entries(grammar::MatchList entries);

std::optional<ast::BinaryOperator> equality_operator_of(std::string_view text);
std::optional<ast::BinaryOperator> relational_operator_of(std::string_view text);
std::optional<ast::BinaryOperator> additive_operator_of(std::string_view text);
std::optional<ast::BinaryOperator> multiplicative_operator_of(std::string_view text);

}  // namespace ostrel
