#include "interpreter/builtins.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "interpreter/interpreter.hpp"
#include "syntax_builders.hpp"

using ostrel::Value;
using ostrel::ValueList;

namespace {

const int64_t kMin = std::numeric_limits<int64_t>::min();
const int64_t kMax = std::numeric_limits<int64_t>::max();

Value I(int64_t v) { return Value::integer(v); }

// The value the global scope binds to the builtin `name`.
Value builtin(std::string_view name) {
  for (const ostrel::Builtin& entry : ostrel::builtins())
    if (entry.name == name) return Value::builtin(entry);
  ADD_FAILURE() << "no builtin " << name;
  return Value();
}

class Builtins : public ::testing::Test {
 protected:
  // The display form of the result, or "error: " and the message.
  std::string call(const char* name, ValueList arguments) {
    auto result = interpreter.call_value(builtin(name), arguments);
    return result ? result->display() : "error: " + result.error();
  }
  std::unique_ptr<ostrel::CaptureSink> owned_sink = std::make_unique<ostrel::CaptureSink>();
  ostrel::CaptureSink& sink = *owned_sink;
  ostrel::Interpreter interpreter{std::move(owned_sink), {}};
};

}  // namespace

TEST_F(Builtins, RangeStopsAtTheLimitsWithoutWrapping) {
  EXPECT_EQ(call("range", {I(kMax - 2), I(kMax)}), "[9223372036854775805, 9223372036854775806]");
  EXPECT_EQ(call("range", {I(kMin + 1), I(kMin), I(-1)}), "[-9223372036854775807]");
  EXPECT_EQ(call("range", {I(0), I(kMax), I(kMax / 2)}), "[0, 4611686018427387903, 9223372036854775806]");
  EXPECT_EQ(call("range", {I(kMax), I(kMin), I(kMin)}), "[9223372036854775807, -1]");
  EXPECT_EQ(call("range", {I(5), I(0), I(-2)}), "[5, 3, 1]");
  EXPECT_EQ(call("range", {I(5), I(2)}), "[]");
}

TEST_F(Builtins, RangeChecksArgumentsInOrder) {
  EXPECT_EQ(call("range", {}), "error: range() takes 1-3 arguments");
  EXPECT_EQ(call("range", {I(1), I(2), I(3), I(4)}), "error: range() takes 1-3 arguments");
  EXPECT_EQ(call("range", {Value::floating(1.0)}), "error: range() requires integer arguments");
  EXPECT_EQ(call("range", {I(0), I(5), I(0)}), "error: range() step cannot be zero");
  EXPECT_EQ(call("range", {I(kMin), I(kMax)}), "error: out of memory");
}

TEST_F(Builtins, IntSaturatesFloatsAndReadsStrictDecimalText) {
  EXPECT_EQ(call("int", {Value::floating(-3.9)}), "-3");
  EXPECT_EQ(call("int", {Value::floating(1e300)}), std::to_string(kMax));
  EXPECT_EQ(call("int", {Value::floating(-1e300)}), std::to_string(kMin));
  EXPECT_EQ(call("int", {Value::floating(9223372036854775808.0)}), std::to_string(kMax));
  EXPECT_EQ(call("int", {Value::floating(std::nan(""))}), "0");
  EXPECT_EQ(call("int", {Value::floating(-INFINITY)}), std::to_string(kMin));
  EXPECT_EQ(call("int", {Value::string("+7")}), "7");
  EXPECT_EQ(call("int", {Value::string("-9223372036854775808")}), std::to_string(kMin));
  EXPECT_EQ(call("int", {Value::string("9223372036854775808")}), "error: cannot convert '9223372036854775808' to int");
  EXPECT_EQ(call("int", {Value::string(" 42")}), "error: cannot convert ' 42' to int");
  EXPECT_EQ(call("int", {Value::string("-")}), "error: cannot convert '-' to int");
  EXPECT_EQ(call("int", {Value::string("1_000")}), "error: cannot convert '1_000' to int");
  EXPECT_EQ(call("int", {}), "error: int() requires a numeric or string argument");
}

TEST_F(Builtins, FloatReadsDecimalTextAndTheSpecialWords) {
  EXPECT_EQ(call("float", {Value::string("1e3")}), "1000");
  EXPECT_EQ(call("float", {Value::string(".5")}), "0.5");
  EXPECT_EQ(call("float", {Value::string("5.")}), "5");
  EXPECT_EQ(call("float", {Value::string("-InFinity")}), "-inf");
  EXPECT_EQ(call("float", {Value::string("NAN")}), "NaN");
  EXPECT_EQ(call("float", {Value::string("1e999")}), "inf");
  EXPECT_EQ(call("float", {Value::string("1e-999")}), "0");
  for (const char* bad : {"", ".", "e5", "1e", "1e+", "0x10", " 1", "1 ", "in", "nan(1)"}) {
    EXPECT_EQ(call("float", {Value::string(bad)}), std::string("error: cannot convert '") + bad + "' to float");
  }
  EXPECT_EQ(call("float", {Value::boolean(true)}), "error: float() requires a numeric or string argument");
}

TEST_F(Builtins, PrintWritesOneLineThroughTheSink) {
  EXPECT_EQ(call("print", {I(1), Value::string("a"), Value::list({I(2), I(3)})}), "None");
  EXPECT_EQ(call("println", {}), "None");
  ASSERT_EQ(interpreter.output().line_count(), 2u);
  EXPECT_EQ(sink.lines(), (std::vector<std::string>{"1 a [2, 3]", ""}));
}

TEST_F(Builtins, MapAndFilterCallAnyCallee) {
  Value len = builtin("len");
  EXPECT_EQ(call("map", {len, Value::list({Value::string("ab"), Value::string("c")})}), "[2, 1]");
  EXPECT_EQ(call("map", {I(5), Value::list({})}), "[]");
  EXPECT_EQ(call("map", {I(5), Value::list({I(1)})}), "error: cannot call non-function: 5");
  EXPECT_EQ(call("map", {len}), "error: map() takes 2 arguments (function, list)");
  EXPECT_EQ(call("filter", {len, Value::tuple({})}), "error: filter() second argument must be a list");
  EXPECT_EQ(call("filter", {builtin("type"), Value::list({I(1), I(2)})}), "[1, 2]");
  EXPECT_EQ(call("map", {len, Value::list({I(1)})}), "error: len() requires a list, string, or dict");
}

// Filter keeps the elements whose result is true, in order: here the first late and more of them
// than the room it makes at first.
TEST_F(Builtins, FilterKeepsTheTrueOnesInOrder) {
  ValueList items;
  for (int64_t i = 0; i < 30; ++i) items.push_back(I(i < 11 || i % 3 == 2 ? 0 : i));
  EXPECT_EQ(call("filter", {builtin("int"), Value::list(items)}), "[12, 13, 15, 16, 18, 19, 21, 22, 24, 25, 27, 28]");
}

TEST_F(Builtins, SumAndAppend) {
  EXPECT_EQ(call("sum", {Value::list({I(1), Value::floating(2.5)})}), "3.5");
  EXPECT_EQ(call("sum", {Value::list({I(1), Value::string("a")})}), "error: cannot add 1 and a");
  // Integers wrap as + wraps them, and a float after them makes the rest float arithmetic.
  EXPECT_EQ(call("sum", {Value::list({I(INT64_MAX), I(1), I(2)})}), std::to_string(INT64_MIN + 2));
  EXPECT_EQ(call("sum", {Value::list({I(2), I(3), Value::floating(0.5), I(1)})}), "6.5");
  EXPECT_EQ(call("sum", {Value::tuple({})}), "error: sum() requires a list argument");
  Value xs = Value::list({I(1)});
  EXPECT_EQ(call("append", {xs, I(2)}), "[1, 2]");
  EXPECT_EQ(xs.display(), "[1]");
  EXPECT_EQ(call("append", {xs}), "error: append() takes 2 arguments (list, item)");
  EXPECT_EQ(call("append", {I(1), I(2)}), "error: append() first argument must be a list");
}

// `type` is a reserved word, so programs cannot reach this builtin by its name.
TEST_F(Builtins, TypeNamesTheKindOfItsArgument) {
  Value lambda = interpreter.run_program(*build::program(build::expression(build::lambda({}, build::integer(1)))))
                     .value();
  const std::pair<Value, const char*> kinds[] = {
      {I(1), "Int"},
      {Value::floating(1.5), "Float"},
      {Value::string(""), "String"},
      {Value::boolean(false), "Bool"},
      {Value::list({}), "List"},
      {Value::dict({}), "Dict"},
      {Value::tuple({}), "Tuple"},
      {lambda, "Function"},
      {builtin("print"), "BuiltinFn"},
      {Value(), "None"},
  };
  for (const auto& [value, name] : kinds) EXPECT_EQ(call("type", {value, I(0)}), name);
  EXPECT_EQ(call("type", {}), "None");
}

// Lowering and the compiler know range, map, filter, sum, append and str by their kind: each
// kind is one entry of the table, found by its name.
TEST(BuiltinTable, EachKindKnownByIdentityIsOneEntry) {
  using Kind = ostrel::BuiltinKind;
  const std::vector<std::pair<const char*, Kind>> known = {
      {"range", Kind::Range}, {"map", Kind::Map}, {"filter", Kind::Filter}, {"sum", Kind::Sum}, {"append", Kind::Append},
      {"str", Kind::Text}};
  for (const auto& [name, kind] : known) {
    ASSERT_NE(ostrel::builtin_named(name), nullptr) << name;
    EXPECT_EQ(ostrel::builtin_named(name)->kind, kind) << name;
    EXPECT_EQ(std::count_if(ostrel::builtins().begin(), ostrel::builtins().end(),
                            [&](const ostrel::Builtin& entry) { return entry.kind == kind; }),
              1);
    EXPECT_TRUE(ostrel::is_builtin(builtin(name), kind));
  }
  EXPECT_FALSE(ostrel::is_builtin(builtin("len"), Kind::Range));
  EXPECT_FALSE(ostrel::is_builtin(Value::integer(1), Kind::Plain));
}
