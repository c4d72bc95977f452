#pragma once
// Statements and declarations: from one top-level or block match to a `Stmt`.
#include <optional>
#include <vector>

#include "ast/ast.hpp"
#include "grammar/match_tree.hpp"
#include "support/result.hpp"

namespace ostrel {

// The statement, nothing (for a match that is not a statement), or the first message met.
Result<std::optional<ast::Stmt>> build_statement(grammar::RuleMatch match);
Result<ast::FunctionDecl> build_function_declaration(grammar::RuleMatch declaration);
ast::TypeExpr build_type_expression(grammar::RuleMatch type);
// The `type_expression` matches of the run, in order; other matches are passed over.
std::vector<ast::TypeExpr> build_type_list(grammar::MatchList matches);

}  // namespace ostrel
