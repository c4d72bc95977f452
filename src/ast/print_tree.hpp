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

// What to tell when a print ends as TooDeep.
inline constexpr const char* kTooDeepToPrint = "expression nested too deeply";

enum class PrintEnd {
  Complete,
  SinkFailed,
  TooDeep,  // the tree is deeper than the stack left to the print can hold
};

// The print grows with the square of the nesting depth (every level indents its lines), so deep
// trees are best streamed. Stops at once when the sink fails or the stack runs short.
PrintEnd print_tree(const ast::Stmt& root, const TextSink& sink);

// The whole print as one text (for trees known to fit the stack).
std::string print_tree(const ast::Stmt& root);

}  // namespace ostrel
