// Conditionals, loops, matches, comprehensions and blocks. The slots of the scope each of them
// opens are unbound again when it ends; after an error nothing runs in the frame any more, so
// the frame's release takes care of them.
#include "interpreter/evaluator.hpp"
#include "interpreter/limits.hpp"
#include "interpreter/operators.hpp"
#include "interpreter/patterns.hpp"
#include "interpreter/truth.hpp"

namespace ostrel {

// The truth of a condition. A comparison of two integers read in place is decided without
// making its Bool: the compare and the branch in one step.
bool Evaluator::test(const code::Expr& condition, bool& truth) {
  if (condition.kind == code::ExprKind::Binary) {
    const auto& node = code::as<code::Binary>(condition);
    const Value* left = operand_in_place(*node.left);
    const Value* right = left ? operand_in_place(*node.right) : nullptr;
    Value result;
    if (right && left->is(Value::Kind::Int) && right->is(Value::Kind::Int) &&
        integer_operation(node.op, left->as_int(), right->as_int(), result)) {
      truth = is_true(result);
      return true;
    }
  }
  Value value;
  if (!evaluate(condition, value)) return false;
  truth = is_true(value);
  return true;
}

bool Evaluator::evaluate_if(const code::If& node, Value& out) {
  for (const auto& [condition, body] : node.branches) {
    bool truth;
    if (!test(*condition, truth)) return false;
    if (truth) return evaluate(*body, out);
  }
  if (node.otherwise) return evaluate(*node.otherwise, out);
  out = Value();
  return true;
}

bool Evaluator::evaluate_for(const code::For& node, Value& out) {
  Sequence items;
  if (!evaluate_sequence(*node.iterable, node.range, items)) return false;
  if (!items.is_walkable()) return fail("for loop requires iterable (list)");
  Value last;
  // `items` holds the list, so the loop walks it unchanged whatever the body assigns.
  for (uint64_t i = 0; i < items.size(); ++i) {
    local(node.variable) = items.at(i);
    if (!evaluate(*node.body, last)) return false;
  }
  unbind(node.scope);
  out = std::move(last);
  return true;
}

bool Evaluator::evaluate_while(const code::While& node, Value& out) {
  Value last;
  for (;;) {
    bool truth;
    if (!test(*node.condition, truth)) return false;
    if (!truth) break;
    if (!evaluate(*node.body, last)) return false;
  }
  out = std::move(last);
  return true;
}

// Binds the arm's names in its slots when the value fits its pattern.
bool Evaluator::enter_arm(const code::Pattern& pattern, const Value& scrutinee) {
  arm_bindings_.clear();
  if (!match_pattern(pattern, scrutinee, arm_bindings_)) return false;
  for (auto& [slot, value] : arm_bindings_) local(slot) = std::move(value);
  return true;
}

bool Evaluator::evaluate_match(const code::Match& node, Value& out) {
  Value scrutinee;
  if (!evaluate(*node.scrutinee, scrutinee)) return false;
  for (const code::Arm& arm : node.arms) {
    if (!enter_arm(arm.pattern, scrutinee)) continue;
    if (arm.guard) {
      bool truth;
      if (!test(*arm.guard, truth)) return false;
      if (!truth) {
        unbind(arm.scope);
        continue;
      }
    }
    if (!evaluate(*arm.body, out)) return false;
    unbind(arm.scope);
    return true;
  }
  return fail(kNoMatchingArm);
}

// What a comprehension walks, with room for its values when each element gives one.
bool Evaluator::comprehension_items(const code::Comprehension& node, Sequence& items, ValueList& results) {
  if (!evaluate_sequence(*node.iterable, node.range, items)) return false;
  if (!items.is_walkable()) return fail("list comprehension requires iterable");
  // As long as the range when nothing is filtered out: refused before the range was built.
  if (!node.condition && items.is_range() && !fits_in_memory(items.size(), sizeof(Value))) return fail(kOutOfMemory);
  if (!node.condition) results.reserve(items.size());
  return true;
}

bool Evaluator::evaluate_comprehension(const code::Comprehension& node, Value& out) {
  Sequence items;
  ValueList results;
  if (!comprehension_items(node, items, results)) return false;
  for (uint64_t i = 0; i < items.size(); ++i) {
    local(node.variable) = items.at(i);
    if (node.condition) {
      bool truth;
      if (!test(*node.condition, truth)) return false;
      if (!truth) continue;
    }
    Value result;
    if (!evaluate(*node.element, result)) return false;
    results.push_back(std::move(result));
  }
  unbind(node.scope);
  out = Value::list(std::move(results));
  return true;
}

// A `return` ends the block, which takes the returned value as its own.
bool Evaluator::evaluate_block(const code::Block& node, Value& out) {
  Value current;
  for (const code::Stmt& statement : node.statements) {
    Flow flow = execute(statement, current);
    if (flow == Flow::Error) return false;
    if (flow == Flow::Return) break;
  }
  unbind(node.scope);
  out = std::move(current);
  return true;
}

}  // namespace ostrel
