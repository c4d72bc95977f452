#pragma once
// Turns syntax trees into the evaluator's compiled form (code.hpp).
#include <optional>
#include <vector>

#include "ast/ast.hpp"
#include "interpreter/code.hpp"
#include "interpreter/stack_guard.hpp"
#include "interpreter/symbols.hpp"

namespace ostrel {

class Compiler {
 public:
  Compiler(SymbolTable& symbols, const StackGuard& guard) : symbols_(symbols), guard_(guard) {}

  // No value when the tree nests too deeply to be compiled on this stack.
  std::optional<code::Stmt> compile(const ast::Stmt& statement);

  code::Stmt statement(const ast::Stmt& statement);
  code::ExprPtr expression(const ast::Expr& expression);
  code::Pattern pattern(const ast::Pattern& pattern);
  std::shared_ptr<const code::FunctionCode> function(std::optional<std::string> name,
                                                     const std::vector<ast::Param>& params,
                                                     const ast::Expr& body);
  Symbol intern(const std::string& name) { return symbols_.intern(name); }
  // Interns a name that the code reads or assigns, noting it for the enclosing function.
  Symbol use(const std::string& name);
  // Called at every level: once the stack runs low, compiling stops and `compile` fails.
  bool out_of_stack();

 private:
  SymbolTable& symbols_;
  const StackGuard& guard_;
  bool out_of_stack_ = false;
  // For each function being compiled, innermost last: the names its body uses so far.
  std::vector<std::vector<Symbol>> used_names_;
};

}  // namespace ostrel
