#include "interpreter/patterns.hpp"

#include <gtest/gtest.h>

using ostrel::Bindings;
using ostrel::Value;
using Pattern = ostrel::code::Pattern;
using Kind = Pattern::Kind;

namespace {

Pattern wildcard() { return Pattern{}; }
Pattern name(ostrel::Symbol symbol) {
  Pattern p;
  p.kind = Kind::Name;
  p.name = symbol;
  return p;
}
Pattern literal(Value v) {
  Pattern p;
  p.kind = Kind::Literal;
  p.literal = std::move(v);
  return p;
}
Pattern sequence(Kind kind, std::vector<Pattern> elements, std::optional<ostrel::Symbol> rest = std::nullopt) {
  Pattern p;
  p.kind = kind;
  p.elements = std::move(elements);
  p.rest = rest;
  return p;
}

Value I(int64_t v) { return Value::integer(v); }

// "name=value" for each binding in order, or "no match".
std::string match(const Pattern& pattern, const Value& value) {
  Bindings bindings;
  if (!ostrel::match_pattern(pattern, value, bindings)) return "no match";
  std::string out;
  for (const auto& [symbol, bound] : bindings) out += std::to_string(symbol) + "=" + bound.display() + " ";
  return out;
}

}  // namespace

TEST(Patterns, NamesAndWildcardsMatchEverything) {
  EXPECT_EQ(match(name(1), Value::none()), "1=None ");
  EXPECT_EQ(match(wildcard(), Value::dict({})), "");
}

TEST(Patterns, LiteralsCompareByLanguageEquality) {
  EXPECT_EQ(match(literal(I(1)), Value::floating(1.0)), "");
  EXPECT_EQ(match(literal(Value::string("1")), I(1)), "no match");
  EXPECT_EQ(match(literal(Value::boolean(false)), I(0)), "no match");
  EXPECT_EQ(match(literal(Value::boolean(false)), Value::none()), "no match");
  Pattern never;
  never.kind = Kind::Never;
  EXPECT_EQ(match(never, I(1)), "no match");
}

TEST(Patterns, TuplesAndListsNeverMatchEachOther) {
  EXPECT_EQ(match(sequence(Kind::Tuple, {name(1), name(2)}), Value::list({I(1), I(2)})), "no match");
  EXPECT_EQ(match(sequence(Kind::List, {name(1), name(2)}), Value::tuple({I(1), I(2)})), "no match");
  EXPECT_EQ(match(sequence(Kind::Tuple, {}), Value::tuple({})), "");
  EXPECT_EQ(match(sequence(Kind::Tuple, {name(1)}), I(1)), "no match");
}

TEST(Patterns, RestNameTakesTheRemainingElements) {
  Value three = Value::list({I(1), I(2), I(3)});
  EXPECT_EQ(match(sequence(Kind::List, {name(1), name(2)}), three), "no match");
  EXPECT_EQ(match(sequence(Kind::List, {name(1), name(2)}, 9), three), "1=1 2=2 9=[3] ");
  EXPECT_EQ(match(sequence(Kind::List, {name(1), name(2)}, 9), Value::list({I(1), I(2)})), "1=1 2=2 9=[] ");
  EXPECT_EQ(match(sequence(Kind::List, {name(1), name(2)}, 9), Value::list({I(1)})), "no match");
}

TEST(Patterns, NestedBindingsComeInPositionOrder) {
  Pattern p = sequence(Kind::Tuple, {name(1), sequence(Kind::List, {name(2)}, 3)});
  EXPECT_EQ(match(p, Value::tuple({I(1), Value::list({I(2), I(3), I(4)})})), "1=1 2=2 3=[3, 4] ");
  EXPECT_EQ(match(sequence(Kind::Tuple, {name(1), name(1)}), Value::tuple({I(1), I(2)})), "1=1 1=2 ");
}

TEST(Patterns, AFailedMatchLeavesEarlierBindingsAlone) {
  Bindings bindings{{7, I(7)}};
  Pattern p = sequence(Kind::Tuple, {name(1), literal(I(5))});
  EXPECT_FALSE(ostrel::match_pattern(p, Value::tuple({I(1), I(2)}), bindings));
  ASSERT_EQ(bindings.size(), 1u);
  EXPECT_EQ(bindings[0].first, 7u);
}
