// Assignments. `x = x + e`, `x += e` and `x = append(x, e)` extend the target's value in place
// when the variable is its only holder: the binding lets go of the value for the change and
// takes it back after, so a loop that builds a list or a string costs amortised constant time
// per step. When anything else still holds the value (a closure, another variable, the list a
// loop walks) the change copies it first, exactly as the plain path would.
#include "interpreter/builtins.hpp"
#include "interpreter/evaluator.hpp"
#include "interpreter/limits.hpp"
#include "interpreter/operators.hpp"

namespace ostrel {

using K = Value::Kind;

// The part after both operands are evaluated.
bool Evaluator::finish_compound(const code::CompoundAssign& node, Value current, const Value& operand, Value& out) {
  if (node.target && node.op == ast::BinaryOperator::Add)
    return assign_sum(*node.target, std::move(current), operand, out);
  Value result;
  if (!take(binary_operation(node.op, current, operand), result)) return false;
  if (!node.target) return fail("invalid compound assignment target");
  assign(*node.target, std::move(result));
  out = Value();
  return true;
}

// `x op= v` on the slot that holds x. Text and lists grow where they are held (copied first when
// anything else holds them too); `x += x` takes the general path, which copies.
bool Evaluator::update(ast::BinaryOperator op, Value& target, const Value& change) {
  if (op == ast::BinaryOperator::Add && &target != &change && is_concatenation(target, change)) {
    if (!sum_fits_in_memory(target, change)) return fail(kOutOfMemory);
    concatenate(target, change);
    return true;
  }
  Value result;
  Result<Value> computed =
      op == ast::BinaryOperator::Add ? add_into(target, change) : binary_operation(op, target, change);
  if (!take(std::move(computed), result)) return false;
  target = std::move(result);
  return true;
}

// Stores current + addend into the target, in place for two strings or two lists.
bool Evaluator::assign_sum(const code::Ref& target, Value current, const Value& addend, Value& out) {
  out = Value();
  Value sum;
  if (current.is(K::Int) && addend.is(K::Int)) {  // counters: the most frequent case
    integer_operation(ast::BinaryOperator::Add, current.as_int(), addend.as_int(), sum);
    assign(target, std::move(sum));
    return true;
  }
  if (is_concatenation(current, addend)) {
    if (!sum_fits_in_memory(current, addend)) return fail(kOutOfMemory);
    if (change_in_place(target, current, [&](Value& value) { concatenate(value, addend); })) return true;
  }
  if (!take(add_into(std::move(current), addend), sum)) return false;
  assign(target, std::move(sum));
  return true;
}

// The rest of `x = append(list, item)` once the callee is known to be the builtin append.
bool Evaluator::append_into(const code::Ref& target, Value list, Value item) {
  if (!list.is(K::List)) return fail("append() first argument must be a list");
  auto push = [&](Value& grown) { grown.list_mut().push_back(std::move(item)); };
  if (change_in_place(target, list, push)) return true;
  push(list);
  assign(target, std::move(list));
  return true;
}

// Applies `change` to `current` and stores it in the target's binding, provided that binding
// still holds exactly this value; otherwise changes nothing and returns false.
template <class Change>
bool Evaluator::change_in_place(const code::Ref& target, Value& current, Change change) {
  Value* binding = bound(target);
  if (!binding || !binding->is(current.kind()) || binding->payload() != current.payload()) return false;
  *binding = Value();
  try {
    change(current);
  } catch (...) {
    *binding = std::move(current);
    throw;
  }
  *binding = std::move(current);
  return true;
}

}  // namespace ostrel
