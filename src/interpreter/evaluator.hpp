#pragma once
// The machinery behind Interpreter: runs compiled statements and evaluates compiled expressions
// in an environment of scopes, printing through an output sink.
//
// Internally every evaluation returns true with its value in `out`, or false with the message in
// error_; results are only wrapped into Result at the public edges.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ast/ast.hpp"
#include "interpreter/builtins.hpp"
#include "interpreter/code.hpp"
#include "interpreter/environment.hpp"
#include "interpreter/output_sink.hpp"
#include "interpreter/stack_guard.hpp"
#include "interpreter/symbols.hpp"
#include "support/result.hpp"

namespace ostrel {

class Evaluator final : public Caller {
 public:
  Evaluator(OutputSink& output, const std::vector<Module>& modules);
  Evaluator(const Evaluator&) = delete;
  Evaluator& operator=(const Evaluator&) = delete;

  Result<Value> run_program(const ast::Stmt& program);
  Result<Value> call_value(const Value& callee, const ValueList& arguments) override;
  OutputSink& output() override { return output_; }
  void for_each_binding(const std::function<void(std::string_view, const Value&)>& visit) const;

 private:
  enum class Flow : uint8_t { Normal, Return, Error };
  friend class CallFrame;

  Result<Value> run_statements(const ast::Stmt& program);
  Flow execute(const code::Stmt& statement, Value& out);
  bool evaluate(const code::Expr& expression, Value& out);

  // evaluate.cpp: values, names, collections, operators, indexing, member access.
  bool evaluate_name(Symbol name, Value& out);
  bool evaluate_elements(const code::Elements& node, Value& out);
  bool evaluate_dict(const code::DictLiteral& node, Value& out);
  bool evaluate_binary(const code::Binary& node, Value& out);
  const Value* operand_in_place(const code::Expr& e) const;
  bool add_to_left(Value left, const Value& right, Value& out);
  bool evaluate_unary(const code::Unary& node, Value& out);
  bool evaluate_index(const code::Index& node, Value& out);
  bool evaluate_member(const code::Member& node, Value& out);
  bool evaluate_all(const std::vector<code::ExprPtr>& expressions, ValueList& out);

  // control_flow.cpp
  bool evaluate_if(const code::If& node, Value& out);
  bool evaluate_for(const code::For& node, Value& out);
  bool evaluate_while(const code::While& node, Value& out);
  bool evaluate_match(const code::Match& node, Value& out);
  bool evaluate_comprehension(const code::Comprehension& node, Value& out);
  bool evaluate_block(const code::Block& node, Value& out);

  // assignments.cpp
  bool evaluate_assign(const code::Assign& node, Value& out);
  bool evaluate_compound_assign(const code::CompoundAssign& node, Value& out);
  bool assign_sum(Symbol target, Value current, const Value& addend, Value& out);
  bool assign_appended(const code::Assign& node, Value& out);
  template <class Change>
  bool change_in_place(Symbol target, Value& current, Change change);

  // calls.cpp
  bool evaluate_call(const code::Call& node, Value& out);
  bool evaluate_pipe(const code::Pipe& node, Value& out);
  bool call_walking_range(const Value& callee, const code::Call& node, Value& out);
  bool evaluate_sequence(const code::Expr& iterable, const Builtin* range, Sequence& out);
  bool call_with(const Value& callee, const std::vector<code::ExprPtr>& arguments, Value& out);
  bool call_function(const Value& callee, const std::vector<code::ExprPtr>& arguments, Value& out);
  bool apply(const Value& callee, const ValueList& arguments, Value& out);
  bool run_body(const Value& callee, ScopeRef frame, Value& out);
  Value function_value(const std::shared_ptr<const code::FunctionCode>& code);

  bool fail(std::string message) {
    error_ = std::move(message);
    return false;
  }
  bool take(Result<Value>&& result, Value& out);

  SymbolTable symbols_;
  Environment top_level_;  // the global scope and the scopes opened outside of any call
  Environment* environment_ = &top_level_;  // in force: top_level_ or a call's environment
  OutputSink& output_;
  StackGuard stack_;
  size_t call_depth_ = 0;
  std::deque<Environment> call_environments_;
  std::string error_;
};

}  // namespace ostrel
