#pragma once
// The indented structural print of a syntax tree (the output of `parse` and of the REPL's `:ast`),
// without a final newline.
#include <functional>
#include <string>
#include <string_view>

#include "ast/ast.hpp"

namespace ostrel {

// Takes the print piece by piece; returns false when it cannot (a failed write), which ends the
// print at once.
using TextSink = std::function<bool(std::string_view piece)>;

// The print grows with the square of the nesting depth (every level indents its lines), so deep
// trees are best streamed. Returns false when the sink failed.
bool print_tree(const ast::Stmt& root, const TextSink& sink);

// The whole print as one text.
std::string print_tree(const ast::Stmt& root);

}  // namespace ostrel
