#include "interpreter/operators.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using ostrel::Value;
using Op = ostrel::ast::BinaryOperator;
using Unary = ostrel::ast::UnaryOperator;

namespace {

const int64_t kMin = std::numeric_limits<int64_t>::min();
const int64_t kMax = std::numeric_limits<int64_t>::max();

Value I(int64_t v) { return Value::integer(v); }
Value F(double v) { return Value::floating(v); }
Value S(const char* v) { return Value::string(v); }

// The display form of the result, or "error: " and the message.
std::string apply(Op op, const Value& left, const Value& right) {
  auto result = ostrel::binary_operation(op, left, right);
  return result ? result->display() : "error: " + result.error();
}

std::string apply(Unary op, const Value& operand) {
  auto result = ostrel::unary_operation(op, operand);
  return result ? result->display() : "error: " + result.error();
}

}  // namespace

TEST(IntegerArithmetic, WrapsAroundWithoutUndefinedBehaviour) {
  EXPECT_EQ(apply(Op::Add, I(kMax), I(1)), std::to_string(kMin));
  EXPECT_EQ(apply(Op::Sub, I(kMin), I(1)), std::to_string(kMax));
  EXPECT_EQ(apply(Op::Mul, I(kMax), I(2)), "-2");
  EXPECT_EQ(apply(Op::Pow, I(2), I(64)), "0");
  EXPECT_EQ(apply(Op::Pow, I(2), I(63)), std::to_string(kMin));
  EXPECT_EQ(apply(Op::Pow, I(0), I(0)), "1");
  EXPECT_EQ(apply(Op::Pow, I(2), I(-1)), "0");  // the exponent's low 32 bits, read unsigned
  EXPECT_EQ(apply(Unary::Neg, I(kMin)), std::to_string(kMin));
}

TEST(IntegerArithmetic, DivisionAndRemainderTruncateTowardZero) {
  EXPECT_EQ(apply(Op::IntDiv, I(-7), I(2)), "-3");
  EXPECT_EQ(apply(Op::Mod, I(-7), I(2)), "-1");
  EXPECT_EQ(apply(Op::Mod, I(7), I(-2)), "1");
  EXPECT_EQ(apply(Op::IntDiv, I(kMin), I(-1)), std::to_string(kMin));
  EXPECT_EQ(apply(Op::Mod, I(kMin), I(-1)), "0");
  EXPECT_EQ(apply(Op::IntDiv, I(1), I(0)), "error: division by zero");
  EXPECT_EQ(apply(Op::IntDiv, F(7.0), I(2)), "error: integer division requires integers");
  EXPECT_EQ(apply(Op::Mod, I(1), I(0)), "error: modulo by zero");
  EXPECT_EQ(apply(Op::Mod, F(7.5), I(2)), "error: modulo requires integers");
}

TEST(Division, AlwaysGivesAFloat) {
  EXPECT_EQ(apply(Op::Div, I(7), I(2)), "3.5");
  EXPECT_EQ(ostrel::binary_operation(Op::Div, I(6), I(2))->kind(), Value::Kind::Float);
  EXPECT_EQ(apply(Op::Div, F(1.5), I(0)), "error: division by zero");
  EXPECT_EQ(apply(Op::Div, I(1), F(0.0)), "inf");
  EXPECT_EQ(apply(Op::Div, I(-1), F(0.0)), "-inf");
  EXPECT_EQ(apply(Op::Div, F(0.0), F(0.0)), "NaN");
  EXPECT_EQ(apply(Op::Div, S("a"), I(0)), "error: arithmetic requires numeric operands, got a and 0");
  EXPECT_EQ(apply(Op::Div, I(1), S("a")), "error: arithmetic requires numeric operands, got 1 and a");
}

TEST(Addition, JoinsTextsAndListsAndShowsOperandsOnError) {
  EXPECT_EQ(apply(Op::Add, I(1), F(2.5)), "3.5");
  EXPECT_EQ(apply(Op::Add, S("a"), S("b")), "ab");
  EXPECT_EQ(apply(Op::Add, Value::list({I(1)}), Value::list({I(2), I(3)})), "[1, 2, 3]");
  EXPECT_EQ(apply(Op::Add, S("a"), I(1)), "error: cannot add a and 1");
  EXPECT_EQ(apply(Op::Add, Value::boolean(true), I(1)), "error: cannot add True and 1");
}

TEST(Repetition, CountsBelowOneGiveTheEmptyTextAndHugeOnesFail) {
  EXPECT_EQ(apply(Op::Mul, S("ab"), I(3)), "ababab");
  EXPECT_EQ(apply(Op::Mul, I(3), S("ab")), "ababab");
  EXPECT_EQ(apply(Op::Mul, S("ab"), I(0)), "");
  EXPECT_EQ(apply(Op::Mul, S("ab"), I(-5)), "");
  EXPECT_EQ(apply(Op::Mul, S(""), I(kMax)), "");
  EXPECT_EQ(apply(Op::Mul, S("ab"), I(kMax)), "error: out of memory");
  EXPECT_EQ(apply(Op::Mul, S("ab"), F(2.0)), "error: arithmetic requires numeric operands, got ab and 2");
  EXPECT_EQ(apply(Op::Mul, Value::list({I(1)}), I(2)), "error: arithmetic requires numeric operands, got [1] and 2");
}

TEST(Comparison, NumbersTextsAndNaN) {
  EXPECT_EQ(apply(Op::Lt, I(1), F(2.5)), "True");
  EXPECT_EQ(apply(Op::Lt, S("Z"), S("a")), "True");
  EXPECT_EQ(apply(Op::Lt, S("ab"), S("abc")), "True");
  EXPECT_EQ(apply(Op::Gt, S("\xc3\xa9"), S("z")), "True");  // bytes compare unsigned
  Value nan = F(std::nan(""));
  EXPECT_EQ(apply(Op::Lt, nan, I(1)), "False");
  EXPECT_EQ(apply(Op::Gt, nan, I(1)), "False");
  EXPECT_EQ(apply(Op::Lte, nan, I(1)), "True");
  EXPECT_EQ(apply(Op::Gte, nan, I(1)), "True");
  EXPECT_EQ(apply(Op::Eq, nan, nan), "False");
  EXPECT_EQ(apply(Op::Lt, Value::list({I(1)}), Value::list({I(2)})), "error: cannot compare [1] and [2]");
  EXPECT_EQ(apply(Op::Lt, I(1), S("2")), "error: cannot compare 1 and 2");
  EXPECT_EQ(apply(Op::Lt, Value::boolean(true), Value::boolean(false)), "error: cannot compare True and False");
}

TEST(Logic, UsesTheTruthTestAndAlwaysGivesABool) {
  EXPECT_EQ(apply(Op::And, I(1), I(2)), "True");
  EXPECT_EQ(apply(Op::And, I(1), S("")), "False");
  EXPECT_EQ(apply(Op::Or, Value::list({}), I(0)), "False");
  EXPECT_EQ(apply(Op::And, Value::dict({}), I(1)), "True");
  EXPECT_EQ(apply(Op::Or, Value::none(), S("x")), "True");
  EXPECT_EQ(apply(Op::Or, F(-0.0), F(std::nan(""))), "True");
}

TEST(UnaryOperators, NegationPlusAndNot) {
  EXPECT_EQ(apply(Unary::Neg, F(0.0)), "-0");
  EXPECT_EQ(apply(Unary::Neg, S("a")), "error: cannot negate non-numeric value");
  EXPECT_EQ(apply(Unary::Pos, Value::list({I(1)})), "[1]");
  EXPECT_EQ(apply(Unary::Not, Value::boolean(false)), "True");
  EXPECT_EQ(apply(Unary::Not, I(1)), "error: cannot apply 'not' to non-boolean value");
  EXPECT_EQ(apply(Unary::Not, Value::none()), "error: cannot apply 'not' to non-boolean value");
}
