#pragma once
// What the operators compute once their operands are values. Integer arithmetic wraps around
// in 64 bits; `/` always gives a Float.
#include <cstdint>

#include "ast/ast.hpp"
#include "interpreter/value.hpp"
#include "support/result.hpp"

namespace ostrel {

Result<Value> binary_operation(ast::BinaryOperator op, const Value& left, const Value& right);
Result<Value> unary_operation(ast::UnaryOperator op, const Value& operand);
// `target[index]` (a position counted from the end when negative) and `object.name`.
Result<Value> index_value(const Value& target, const Value& index);
Result<Value> member_value(const Value& object, const Value& name);

// `left + right` with a left operand that is the caller's to change: two strings or two lists
// grow it in place when nothing else holds its payload (a chain `a + b + c` or a loop building
// a text costs amortised constant time per step); the rest as binary_operation.
Result<Value> add_into(Value left, const Value& right);

// How `left + right` goes: it extends left (two strings or two lists), which may then grow where
// it is held instead of being copied, unless the result would not fit in the memory that is
// free now; or it is another operation. The one place that decides whether + grows a value.
enum class Growth : uint8_t { Other, Grows, TooLarge };
Growth addition_growth(const Value& left, const Value& right);
// Appends right to left; only where addition_growth says it grows.
void concatenate(Value& left, const Value& right);

// Wrapping integer arithmetic, computed on unsigned numbers so that overflow is defined.
inline int64_t wrapping_add(int64_t a, int64_t b) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}
inline int64_t wrapping_sub(int64_t a, int64_t b) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
}
inline int64_t wrapping_mul(int64_t a, int64_t b) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(b));
}

// The integer comparisons (`op` is one of <, <=, >, >=, ==, !=): a compare-and-branch needs no value.
__attribute__((always_inline)) inline bool integer_comparison(ast::BinaryOperator op, int64_t a, int64_t b) {
  using Op = ast::BinaryOperator;
  switch (op) {
    case Op::Lt: return a < b;
    case Op::Lte: return a <= b;
    case Op::Gt: return a > b;
    case Op::Gte: return a >= b;
    case Op::Eq: return a == b;
    default: return a != b;
  }
}

// The order of two texts, byte by byte as unsigned values: negative, zero or positive. Texts
// compared mostly differ in their first byte, which then decides without a call, or are one
// payload. A text's bytes end with a zero, so an empty text's first byte is that zero, below
// any first byte that differs from it.
inline int text_order(const std::string& left, const std::string& right) {
  auto first = static_cast<unsigned char>(left[0]), other = static_cast<unsigned char>(right[0]);
  if (first != other) return first < other ? -1 : 1;
  return &left == &right ? 0 : left.compare(right);
}

// The comparisons of two Strings (`op` as for integer_comparison): byte by byte.
inline bool text_comparison(ast::BinaryOperator op, const Value& left, const Value& right) {
  using Op = ast::BinaryOperator;
  if (op == Op::Eq || op == Op::Neq) return left.same_text(right) == (op == Op::Eq);
  return integer_comparison(op, text_order(left.as_string(), right.as_string()), 0);
}

inline bool is_comparison(ast::BinaryOperator op) {
  using Op = ast::BinaryOperator;
  return op == Op::Lt || op == Op::Lte || op == Op::Gt || op == Op::Gte || op == Op::Eq || op == Op::Neq;
}

// The integer operators, for the evaluator's fast paths and binary_operation alike; false where
// they fail (a zero divisor) and for the others (division, powers, and, or). The one quotient
// that does not fit, the minimum divided by -1, wraps around to the minimum; a remainder has the
// sign of the left operand, and anything modulo -1 is 0.
// Always inlined: the dispatch loop's hottest instructions are mostly this.
__attribute__((always_inline)) inline bool integer_operation(ast::BinaryOperator op, int64_t a, int64_t b,
                                                             Value& out) {
  using Op = ast::BinaryOperator;
  switch (op) {
    case Op::Add: out.set_int(wrapping_add(a, b)); return true;
    case Op::Sub: out.set_int(wrapping_sub(a, b)); return true;
    case Op::Mul: out.set_int(wrapping_mul(a, b)); return true;
    case Op::IntDiv:
      if (b == 0) return false;
      out.set_int(b == -1 ? wrapping_sub(0, a) : a / b);
      return true;
    case Op::Mod:
      if (b == 0) return false;
      out.set_int(b == -1 ? 0 : a % b);
      return true;
    case Op::Lt:
    case Op::Lte:
    case Op::Gt:
    case Op::Gte:
    case Op::Eq:
    case Op::Neq: out.set_bool(integer_comparison(op, a, b)); return true;
    default: return false;
  }
}

}  // namespace ostrel
