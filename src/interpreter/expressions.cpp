// Expression evaluation: the dispatch over expression kinds, and the kinds that only compute a
// value from their parts (names, collections, operators, indexing, member access).
#include <fmt/format.h>

#include "interpreter/evaluator.hpp"
#include "interpreter/limits.hpp"
#include "interpreter/operators.hpp"

namespace ostrel {
namespace {

using K = Value::Kind;

// A position counted from the end when negative.
int64_t position_in(int64_t index, int64_t size) { return index >= 0 ? index : index + size; }

std::string out_of_bounds(int64_t position) { return fmt::format("index {} out of bounds", position); }

}  // namespace

bool Evaluator::evaluate(const code::Expr& e, Value& out) {
  using code::as;
  using Kind = code::ExprKind;
  if (stack_guard_.exhausted()) return fail(kTooDeep);
  switch (e.kind) {
    case Kind::Constant: out = as<code::Constant>(e).value; return true;
    case Kind::Name: return evaluate_name(as<code::Name>(e).ref, out);
    case Kind::List:
    case Kind::Tuple: return evaluate_elements(as<code::Elements>(e), out);
    case Kind::Dict: return evaluate_dict(as<code::DictLiteral>(e), out);
    case Kind::Binary: return evaluate_binary(as<code::Binary>(e), out);
    case Kind::Unary: return evaluate_unary(as<code::Unary>(e), out);
    case Kind::Pipe: return evaluate_pipe(as<code::Pipe>(e), out);
    case Kind::Call: return evaluate_call(as<code::Call>(e), out);
    case Kind::Index: return evaluate_index(as<code::Index>(e), out);
    case Kind::Member: return evaluate_member(as<code::Member>(e), out);
    case Kind::If: return evaluate_if(as<code::If>(e), out);
    case Kind::For: return evaluate_for(as<code::For>(e), out);
    case Kind::While: return evaluate_while(as<code::While>(e), out);
    case Kind::Match: return evaluate_match(as<code::Match>(e), out);
    case Kind::Lambda: out = function_value(as<code::Lambda>(e).closure); return true;
    case Kind::Comprehension: return evaluate_comprehension(as<code::Comprehension>(e), out);
    case Kind::Block: return evaluate_block(as<code::Block>(e), out);
    case Kind::Assign: return evaluate_assign(as<code::Assign>(e), out);
    case Kind::CompoundAssign: return evaluate_compound_assign(as<code::CompoundAssign>(e), out);
  }
  return fail("unknown expression");
}

bool Evaluator::evaluate_name(const code::Ref& ref, Value& out) {
  const Value* value = bound(ref);
  if (!value) return fail(fmt::format("undefined variable: {}", symbols_.name(ref.name)));
  out = *value;
  return true;
}

bool Evaluator::evaluate_all(const std::vector<code::ExprPtr>& expressions, ValueList& out) {
  out.reserve(expressions.size());
  for (const code::ExprPtr& expression : expressions) {
    Value value;
    if (!evaluate(*expression, value)) return false;
    out.push_back(std::move(value));
  }
  return true;
}

bool Evaluator::evaluate_elements(const code::Elements& node, Value& out) {
  ValueList items;
  if (!evaluate_all(node.elements, items)) return false;
  out = node.kind == code::ExprKind::List ? Value::list(std::move(items)) : Value::tuple(std::move(items));
  return true;
}

bool Evaluator::evaluate_dict(const code::DictLiteral& node, Value& out) {
  ValuePairs pairs;
  pairs.reserve(node.entries.size());
  for (const auto& [key_expression, value_expression] : node.entries) {
    Value key, value;
    if (!evaluate(*key_expression, key) || !evaluate(*value_expression, value)) return false;
    pairs.emplace_back(std::move(key), std::move(value));
  }
  out = Value::dict(std::move(pairs));
  return true;
}

bool Evaluator::evaluate_binary(const code::Binary& node, Value& out) {
  using Op = ast::BinaryOperator;
  // Reading both operands in place is safe only when neither can change what the other reads.
  const Value* left_in_place = operand_in_place(*node.left);
  const Value* right_in_place = left_in_place ? operand_in_place(*node.right) : nullptr;
  Value left_value, right_value;
  if (!right_in_place) {
    if (!evaluate(*node.left, left_value) || !evaluate(*node.right, right_value)) return false;
    left_in_place = &left_value;
    right_in_place = &right_value;
  }
  const Value& left = *left_in_place;
  const Value& right = *right_in_place;
  // Integer arithmetic and comparisons are by far the most frequent: spare them the general path.
  if (left.is(K::Int) && right.is(K::Int) && integer_operation(node.op, left.as_int(), right.as_int(), out))
    return true;
  // A left operand evaluated here is ours to grow; one read in place belongs to a variable.
  if (node.op == Op::Add) {
    return take(add_into(left_in_place == &left_value ? std::move(left_value) : left, right), out);
  }
  return take(binary_operation(node.op, left, right), out);
}

bool Evaluator::evaluate_unary(const code::Unary& node, Value& out) {
  Value operand;
  if (!evaluate(*node.operand, operand)) return false;
  return take(unary_operation(node.op, operand), out);
}

bool Evaluator::evaluate_index(const code::Index& node, Value& out) {
  Value target, index;
  if (!evaluate(*node.target, target) || !evaluate(*node.index, index)) return false;
  return index_value(target, index, out);
}

bool Evaluator::index_value(const Value& target, const Value& index, Value& out) {
  if (target.is(K::Dict)) {
    if (const Value* value = target.find(index)) {
      out = *value;
      return true;
    }
    return fail(fmt::format("key not found: {}", index.display_in_message()));
  }
  if (!index.is(K::Int)) return fail("cannot index this value");
  if (target.is(K::List)) {
    ValueSpan items = target.as_list();
    int64_t position = position_in(index.as_int(), static_cast<int64_t>(items.size()));
    if (position < 0 || position >= static_cast<int64_t>(items.size())) return fail(out_of_bounds(position));
    out = items[position];
    return true;
  }
  if (target.is(K::String)) {
    int64_t size = target.character_count();
    int64_t position = position_in(index.as_int(), size);
    if (position < 0 || position >= size) return fail(out_of_bounds(position));
    out = target.character_at(position);
    return true;
  }
  return fail("cannot index this value");
}

bool Evaluator::evaluate_member(const code::Member& node, Value& out) {
  Value object;
  if (!evaluate(*node.object, object)) return false;
  return member_value(object, node.name, out);
}

bool Evaluator::member_value(const Value& object, const Value& name, Value& out) {
  if (!object.is(K::Dict)) return fail(fmt::format("member access on unsupported type: {}", object.display_in_message()));
  if (const Value* value = object.find(name)) {
    out = *value;
    return true;
  }
  return fail(fmt::format("no member '{}' found", name.as_string()));
}

}  // namespace ostrel
