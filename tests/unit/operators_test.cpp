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

TEST(Repetition, CountsBelowOneGiveTheEmptyTextAndHugeOnesFail) {
  EXPECT_EQ(apply(Op::Mul, S("ab"), I(3)), "ababab");
  EXPECT_EQ(apply(Op::Mul, I(3), S("ab")), "ababab");
  EXPECT_EQ(apply(Op::Mul, S("ab"), I(0)), "");
  // Repetition doubles its text: counts on either side of a power of two, wide characters.
  EXPECT_EQ(apply(Op::Mul, S("ab"), I(1)), "ab");
  EXPECT_EQ(apply(Op::Mul, S("é-"), I(7)), "é-é-é-é-é-é-é-");
  EXPECT_EQ(apply(Op::Mul, S("xyz"), I(8)), "xyzxyzxyzxyzxyzxyzxyzxyz");
  EXPECT_EQ(apply(Op::Mul, S("xyz"), I(9)), "xyzxyzxyzxyzxyzxyzxyzxyzxyz");
  EXPECT_EQ(apply(Op::Mul, S("ab"), I(-5)), "");
  EXPECT_EQ(apply(Op::Mul, S(""), I(kMax)), "");
  EXPECT_EQ(apply(Op::Mul, S("ab"), I(kMax)), "error: out of memory");
  EXPECT_EQ(apply(Op::Mul, S("ab"), F(2.0)), "error: arithmetic requires numeric operands, got ab and 2");
  EXPECT_EQ(apply(Op::Mul, Value::list({I(1)}), I(2)), "error: arithmetic requires numeric operands, got [1] and 2");
}

TEST(Comparison, TextsCompareAsUnsignedBytesAndNaNCountsAsEqual) {
  EXPECT_EQ(apply(Op::Gt, S("\xc3\xa9"), S("z")), "True");
  Value nan = F(std::nan(""));
  EXPECT_EQ(apply(Op::Lt, nan, F(1.0)), "False");
  EXPECT_EQ(apply(Op::Gte, I(1), nan), "True");
}

// Texts order as std::string orders their bytes (unsigned): differing first bytes or only later
// ones, empty texts, zero bytes, high bytes, and a payload against itself.
TEST(Comparison, TextOrderMatchesComparingTheBytes) {
  const std::string texts[] = {"", std::string(1, '\0'), std::string("\0a", 2), "a", "ab", "b", "\xc3\xa9", "\xff"};
  for (const std::string& left : texts) {
    Value a = Value::string(left);
    EXPECT_TRUE(ostrel::text_comparison(Op::Lte, a, a) && !ostrel::text_comparison(Op::Lt, a, a));
    for (const std::string& right : texts)
      EXPECT_EQ(ostrel::text_comparison(Op::Lt, a, Value::string(right)), left < right) << left << " < " << right;
  }
}


// + grows its left operand in place only for two texts or two lists, and only a left operand
// nothing else holds.
TEST(Addition, GrowsOnlyTextsAndListsHeldOnce) {
  using ostrel::Growth;
  Value text = Value::string("ab");
  Value list = Value::list({Value::integer(1)});
  EXPECT_EQ(ostrel::addition_growth(text, Value::string("c")), Growth::Grows);
  EXPECT_EQ(ostrel::addition_growth(list, list), Growth::Grows);
  EXPECT_EQ(ostrel::addition_growth(text, list), Growth::Other);
  EXPECT_EQ(ostrel::addition_growth(Value::integer(1), Value::floating(2)), Growth::Other);
  auto sum = ostrel::add_into(text, Value::string("c"));
  ASSERT_TRUE(sum);
  EXPECT_EQ(sum->as_string(), "abc");
  EXPECT_EQ(text.as_string(), "ab");  // held twice: copied, not grown
}
