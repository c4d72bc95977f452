// Conditionals, loops, matches, comprehensions and blocks. Each scope they open is closed by a
// ScopeGuard, so that it goes on every way out, errors included.
#include "interpreter/evaluator.hpp"
#include "interpreter/patterns.hpp"
#include "interpreter/truth.hpp"

namespace ostrel {

bool Evaluator::evaluate_if(const code::If& node, Value& out) {
  for (const auto& [condition, body] : node.branches) {
    Value test;
    if (!evaluate(*condition, test)) return false;
    if (is_true(test)) return evaluate(*body, out);
  }
  if (node.otherwise) return evaluate(*node.otherwise, out);
  out = Value();
  return true;
}

bool Evaluator::evaluate_for(const code::For& node, Value& out) {
  Value iterable;
  if (!evaluate(*node.iterable, iterable)) return false;
  if (!iterable.is(Value::Kind::List)) return fail("for loop requires iterable (list)");
  ScopeGuard loop_scope(*environment_);
  Value last;
  // `iterable` holds the list, so the loop walks it unchanged whatever the body assigns.
  for (const Value& element : iterable.as_list()) {
    environment_->define(node.variable, element);
    if (!evaluate(*node.body, last)) return false;
  }
  out = std::move(last);
  return true;
}

bool Evaluator::evaluate_while(const code::While& node, Value& out) {
  Value last;
  for (;;) {
    Value test;
    if (!evaluate(*node.condition, test)) return false;
    if (!is_true(test)) break;
    if (!evaluate(*node.body, last)) return false;
  }
  out = std::move(last);
  return true;
}

bool Evaluator::evaluate_match(const code::Match& node, Value& out) {
  Value scrutinee;
  if (!evaluate(*node.scrutinee, scrutinee)) return false;
  Bindings bindings;
  for (const code::Arm& arm : node.arms) {
    bindings.clear();
    if (!match_pattern(arm.pattern, scrutinee, bindings)) continue;
    ScopeGuard arm_scope(*environment_);
    for (auto& [name, value] : bindings) environment_->define(name, std::move(value));
    if (arm.guard) {
      Value test;
      if (!evaluate(*arm.guard, test)) return false;
      if (!is_true(test)) continue;
    }
    return evaluate(*arm.body, out);
  }
  return fail("no matching pattern in match expression");
}

bool Evaluator::evaluate_comprehension(const code::Comprehension& node, Value& out) {
  Value iterable;
  if (!evaluate(*node.iterable, iterable)) return false;
  if (!iterable.is(Value::Kind::List)) return fail("list comprehension requires iterable");
  ScopeGuard comprehension_scope(*environment_);
  ValueList results;
  if (!node.condition) results.reserve(iterable.as_list().size());
  for (const Value& element : iterable.as_list()) {
    environment_->define(node.variable, element);
    if (node.condition) {
      Value test;
      if (!evaluate(*node.condition, test)) return false;
      if (!is_true(test)) continue;
    }
    Value result;
    if (!evaluate(*node.element, result)) return false;
    results.push_back(std::move(result));
  }
  out = Value::list(std::move(results));
  return true;
}

// A `return` ends the block, which takes the returned value as its own.
bool Evaluator::evaluate_block(const code::Block& node, Value& out) {
  ScopeGuard block_scope(*environment_);
  Value current;
  for (const code::Stmt& statement : node.statements) {
    Flow flow = execute(statement, current);
    if (flow == Flow::Error) return false;
    if (flow == Flow::Return) break;
  }
  out = std::move(current);
  return true;
}

}  // namespace ostrel
