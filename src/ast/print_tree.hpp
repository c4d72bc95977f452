#pragma once
// The indented structural print of a syntax tree (the output of `parse` and of the REPL's `:ast`),
// without a final newline.
#include <string>

#include "ast/ast.hpp"

namespace ostrel {

std::string print_tree(const ast::Stmt& root);

}  // namespace ostrel
