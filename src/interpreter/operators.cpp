#include "interpreter/operators.hpp"

#include <fmt/format.h>

#include <cmath>

#include "interpreter/limits.hpp"
#include "interpreter/truth.hpp"

namespace ostrel {
namespace {

using K = Value::Kind;
using Op = ast::BinaryOperator;

bool is_number(const Value& v) { return v.is(K::Int) || v.is(K::Float); }
double as_double(const Value& v) { return v.is(K::Int) ? static_cast<double>(v.as_int()) : v.as_float(); }

Error shows_both(const char* format, const Value& left, const Value& right) {
  return Error{fmt::format(fmt::runtime(format), left.display_in_message(), right.display_in_message())};
}
Error not_numeric(const Value& left, const Value& right) {
  return shows_both("arithmetic requires numeric operands, got {} and {}", left, right);
}

Result<Value> repeat(const std::string& text, int64_t count) {
  if (count <= 0 || text.empty()) return Value::string("");
  if (!fits_in_memory(static_cast<uint64_t>(count), text.size())) return Error{kOutOfMemory};
  size_t total = text.size() * static_cast<size_t>(count);
  std::string out;
  out.reserve(total);
  out = text;
  // Doubling: a short text repeated a billion times takes thirty copies, not a billion appends.
  while (out.size() <= total / 2) out.append(out);
  out.append(out, 0, total - out.size());
  return Value::string(std::move(out));
}

Result<Value> subtract(const Value& left, const Value& right) {
  if (is_number(left) && is_number(right)) return Value::floating(as_double(left) - as_double(right));
  return not_numeric(left, right);
}

Result<Value> multiply(const Value& left, const Value& right) {
  if (is_number(left) && is_number(right)) return Value::floating(as_double(left) * as_double(right));
  if (left.is(K::String) && right.is(K::Int)) return repeat(left.as_string(), right.as_int());
  if (left.is(K::Int) && right.is(K::String)) return repeat(right.as_string(), left.as_int());
  return not_numeric(left, right);
}

Result<Value> divide(const Value& left, const Value& right) {
  if (!is_number(left)) return not_numeric(left, right);
  if (right.is(K::Int) && right.as_int() == 0) return Error{"division by zero"};
  if (!is_number(right)) return not_numeric(left, right);
  return Value::floating(as_double(left) / as_double(right));
}

// The quotient and the remainder themselves are integer_operation's; these are the failures.
Result<Value> integer_divide(const Value& left, const Value& right) {
  if (!left.is(K::Int) || !right.is(K::Int)) return Error{"integer division requires integers"};
  return Error{"division by zero"};
}

Result<Value> modulo(const Value& left, const Value& right) {
  if (!left.is(K::Int) || !right.is(K::Int)) return Error{"modulo requires integers"};
  return Error{"modulo by zero"};
}

// The exponent counts as its low 32 bits read unsigned, so 2 ** -1 is 0 (the squarings wrap).
int64_t integer_power(int64_t base, int64_t exponent) {
  uint64_t result = 1;
  uint64_t factor = static_cast<uint64_t>(base);
  for (uint32_t e = static_cast<uint32_t>(static_cast<uint64_t>(exponent)); e != 0; e >>= 1) {
    if (e & 1) result *= factor;
    factor *= factor;
  }
  return static_cast<int64_t>(result);
}

Result<Value> power(const Value& left, const Value& right) {
  if (left.is(K::Int) && right.is(K::Int)) return Value::integer(integer_power(left.as_int(), right.as_int()));
  if (is_number(left) && is_number(right)) return Value::floating(std::pow(as_double(left), as_double(right)));
  return Error{"power requires numeric operands"};
}

// -1, 0 or 1; numbers involving NaN count as equal.
template <class T>
int three_way(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

Result<Value> compare(Op op, const Value& left, const Value& right) {
  int order;
  if (is_number(left) && is_number(right)) order = three_way(as_double(left), as_double(right));
  else if (left.is(K::String) && right.is(K::String)) return Value::boolean(text_comparison(op, left, right));
  else return shows_both("cannot compare {} and {}", left, right);
  switch (op) {
    case Op::Lt: return Value::boolean(order < 0);
    case Op::Lte: return Value::boolean(order <= 0);
    case Op::Gt: return Value::boolean(order > 0);
    default: return Value::boolean(order >= 0);
  }
}

// A position counted from the end when negative.
int64_t position_in(int64_t index, int64_t size) { return index >= 0 ? index : index + size; }

std::string out_of_bounds(int64_t position) { return fmt::format("index {} out of bounds", position); }

}  // namespace

Result<Value> add_into(Value left, const Value& right) {
  if (left.is(K::Int) && right.is(K::Int)) return Value::integer(wrapping_add(left.as_int(), right.as_int()));
  if (is_number(left) && is_number(right)) return Value::floating(as_double(left) + as_double(right));
  switch (addition_growth(left, right)) {
    case Growth::Other: return shows_both("cannot add {} and {}", left, right);
    case Growth::TooLarge: return Error{kOutOfMemory};
    case Growth::Grows: break;
  }
  concatenate(left, right);
  return left;
}

Growth addition_growth(const Value& left, const Value& right) {
  if (left.is(K::String) && right.is(K::String))
    return fits_in_memory(left.as_string().size() + right.as_string().size(), 1) ? Growth::Grows : Growth::TooLarge;
  if (left.is(K::List) && right.is(K::List)) {
    size_t count = left.as_list().size() + right.as_list().size();
    return fits_in_memory(count, sizeof(Value)) ? Growth::Grows : Growth::TooLarge;
  }
  return Growth::Other;
}

namespace {

// Out of line, so that growing a text, the more frequent, saves no registers.
__attribute__((noinline)) void extend(ValueList& items, ValueSpan extra) {
  items.insert(items.end(), extra.begin(), extra.end());
}

}  // namespace

void concatenate(Value& left, const Value& right) {
  if (left.is(K::String)) {
    left.append_text(right.as_string());
    return;
  }
  extend(left.list_mut(), right.as_list());
}

Result<Value> binary_operation(ast::BinaryOperator op, const Value& left, const Value& right) {
  Value result;
  if (left.is(K::Int) && right.is(K::Int) && integer_operation(op, left.as_int(), right.as_int(), result)) return result;
  switch (op) {
    case Op::Add: return add_into(left, right);
    case Op::Sub: return subtract(left, right);
    case Op::Mul: return multiply(left, right);
    case Op::Div: return divide(left, right);
    case Op::IntDiv: return integer_divide(left, right);
    case Op::Mod: return modulo(left, right);
    case Op::Pow: return power(left, right);
    case Op::Eq: return Value::boolean(left.equals(right));
    case Op::Neq: return Value::boolean(!left.equals(right));
    case Op::Lt:
    case Op::Lte:
    case Op::Gt:
    case Op::Gte: return compare(op, left, right);
    case Op::And: return Value::boolean(is_true(left) && is_true(right));
    case Op::Or: return Value::boolean(is_true(left) || is_true(right));
  }
  return Value();
}

Result<Value> unary_operation(ast::UnaryOperator op, const Value& operand) {
  switch (op) {
    case ast::UnaryOperator::Neg:
      if (operand.is(K::Int)) return Value::integer(wrapping_sub(0, operand.as_int()));
      if (operand.is(K::Float)) return Value::floating(-operand.as_float());
      return Error{"cannot negate non-numeric value"};
    case ast::UnaryOperator::Pos: return operand;
    case ast::UnaryOperator::Not:
      if (operand.is(K::Bool)) return Value::boolean(!operand.as_bool());
      return Error{"cannot apply 'not' to non-boolean value"};
  }
  return operand;
}

Result<Value> index_value(const Value& target, const Value& index) {
  if (target.is(K::Dict)) {
    if (const Value* value = target.find(index)) return *value;
    return Error{fmt::format("key not found: {}", index.display_in_message())};
  }
  if (!index.is(K::Int)) return Error{"cannot index this value"};
  if (target.is(K::List)) {
    ValueSpan items = target.as_list();
    int64_t position = position_in(index.as_int(), static_cast<int64_t>(items.size()));
    if (position < 0 || position >= static_cast<int64_t>(items.size())) return Error{out_of_bounds(position)};
    return items[position];
  }
  if (target.is(K::String)) {
    int64_t size = target.character_count();
    int64_t position = position_in(index.as_int(), size);
    if (position < 0 || position >= size) return Error{out_of_bounds(position)};
    return target.character_at(position);
  }
  return Error{"cannot index this value"};
}

Result<Value> member_value(const Value& object, const Value& name) {
  if (!object.is(K::Dict)) return Error{fmt::format("member access on unsupported type: {}", object.display_in_message())};
  if (const Value* value = object.find(name)) return *value;
  return Error{fmt::format("no member '{}' found", name.as_string())};
}

}  // namespace ostrel
