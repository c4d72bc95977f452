#pragma once
// The single entry from source text to syntax tree.
#include <string_view>

#include "ast/ast.hpp"
#include "support/result.hpp"

namespace ostrel {

// A `Stmt::Module` holding the top-level statements, or the parse error's message (the text that
// follows "Parse error: ").
Result<ast::StmtPtr> parse_program(std::string_view source);

}  // namespace ostrel
