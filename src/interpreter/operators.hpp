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

// Whether the sum of two strings or of two lists fits in the memory that is free now.
bool sum_fits_in_memory(const Value& left, const Value& right);

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

}  // namespace ostrel
