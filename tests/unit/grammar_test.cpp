#include <gtest/gtest.h>

#include <string>

#include "grammar/match_program.hpp"
#include "grammar/match_state.hpp"
#include "grammar/rule.hpp"
#include "grammar/syntax_error.hpp"
#include "support/big_stack.hpp"

namespace ostrel::grammar {
namespace {

// A compact picture of a match: a chain of single inner matches as "a>b", several as "a(b c)",
// and a match without inner matches with its text, as "identifier'x'".
std::string shape(RuleMatch match) {
  std::string text(name_of(match.rule()));
  MatchList inner = match.inner();
  if (inner.empty()) return text + "'" + std::string(match.text()) + "'";
  if (inner.size() == 1) return text + ">" + shape(inner[0]);
  text += "(";
  for (std::size_t i = 0; i < inner.size(); ++i) text += (i > 0 ? " " : "") + shape(inner[i]);
  return text + ")";
}

// The shapes of the top-level matches, one per line, or the syntax error.
std::string shapes(std::string_view source) {
  Result<MatchTree> tree = match_program(source);
  if (!tree) return tree.error();
  std::string lines;
  for (RuleMatch item : tree.value().top_level()) lines += shape(item) + "\n";
  return lines;
}

const std::string operand_chain =
    "expression>pipe_expression>assignment_expression>conditional_expression>logical_or_expression>"
    "logical_and_expression>equality_expression>relational_expression>additive_expression>"
    "multiplicative_expression>power_expression>unary_expression>postfix_expression>primary_expression>";

TEST(RuleList, HasTheSeventyFiveNamesInOrder) {
  EXPECT_EQ(rule_count, 75);
  EXPECT_EQ(name_of(Rule::EOI), "EOI");
  EXPECT_EQ(name_of(Rule::ostrel), "ostrel");
  EXPECT_EQ(static_cast<int>(Rule::block), 15);
  EXPECT_EQ(static_cast<int>(Rule::expression), 29);
  EXPECT_EQ(static_cast<int>(Rule::literal), 53);
  EXPECT_EQ(static_cast<int>(Rule::identifier), 72);
  EXPECT_EQ(static_cast<int>(Rule::keyword), 74);
  EXPECT_EQ(name_of(Rule::keyword), "keyword");
}

TEST(FailureDescription, ListsRulesOnceInRuleOrder) {
  EXPECT_EQ(describe_failure({Rule::identifier}, {}), "expected identifier");
  EXPECT_EQ(describe_failure({Rule::identifier, Rule::block}, {}), "expected block or identifier");
  EXPECT_EQ(describe_failure({Rule::identifier, Rule::expression, Rule::block, Rule::expression}, {}),
            "expected block, expression, or identifier");
  EXPECT_EQ(describe_failure({Rule::EOI}, {Rule::keyword}), "unexpected keyword; expected EOI");
  EXPECT_EQ(describe_failure({}, {Rule::keyword, Rule::identifier}), "unexpected identifier or keyword");
  EXPECT_EQ(describe_failure({}, {}), "unknown parsing error");
}

TEST(SyntaxErrorLayout, ShowsTheLineWithItsEndingAndMarksTheColumn) {
  EXPECT_EQ(render_syntax_error("a = 1\nb = (\r\nc\n", 10, "expected unary_expression"),
            " --> 2:5\n"
            "  |\n"
            "2 | b = (\u240D\u240A\n"
            "  |     ^---\n"
            "  |\n"
            "  = expected unary_expression");
}

TEST(SyntaxErrorLayout, KeepsTabsAndCountsCharactersBeforeTheColumn) {
  EXPECT_EQ(render_syntax_error("\t\"\u00e9\" @", 6, "m"),
            " --> 1:6\n"
            "  |\n"
            "1 | \t\"\u00e9\" @\n"
            "  | \t    ^---\n"
            "  |\n"
            "  = m");
}

TEST(SyntaxErrorLayout, WidensTheGutterForLongerLineNumbers) {
  std::string source(11, '\n');
  source += "x";
  EXPECT_EQ(render_syntax_error(source, 12, "m"),
            "  --> 12:2\n"
            "   |\n"
            "12 | x\n"
            "   |  ^---\n"
            "   |\n"
            "   = m");
}

TEST(SyntaxErrorLayout, AtTheEndAfterALineBreakShowsAnEmptyLine) {
  EXPECT_EQ(render_syntax_error("x\n", 2, "m"), " --> 2:1\n  |\n2 | \n  | ^---\n  |\n  = m");
}

TEST(SyntaxErrorLayout, ShowsMalformedBytesAsReplacementCharacters) {
  EXPECT_EQ(render_syntax_error("ab\xff\xfe", 2, "m"),
            " --> 1:3\n  |\n1 | ab\uFFFD\uFFFD\n  |   ^---\n  |\n  = m");
}

TEST(FurthestFailure, RecordsARuleThatFailedWithoutInnerRecords) {
  FurthestFailure failure;
  failure.record(Rule::block, 4, failure.mark_at(4));
  EXPECT_EQ(failure.position(), 4u);
  EXPECT_EQ(failure.expected(), std::vector<Rule>{Rule::block});
}

TEST(FurthestFailure, KeepsASingleInnerRecordAtTheSamePosition) {
  FurthestFailure failure;
  FurthestFailure::Mark outer = failure.mark_at(3);
  failure.record(Rule::identifier, 3, failure.mark_at(3));
  failure.record(Rule::param, 3, outer);
  EXPECT_EQ(failure.expected(), std::vector<Rule>{Rule::identifier});
}

TEST(FurthestFailure, ReplacesSeveralInnerRecordsByTheRule) {
  FurthestFailure failure;
  failure.record(Rule::EOI, 3, failure.mark_at(3));
  FurthestFailure::Mark outer = failure.mark_at(3);
  failure.record(Rule::int_literal, 3, failure.mark_at(3));
  failure.record(Rule::identifier, 3, failure.mark_at(3));
  failure.record(Rule::primary_expression, 3, outer);
  EXPECT_EQ(failure.expected(), (std::vector<Rule>{Rule::EOI, Rule::primary_expression}));
}

TEST(FurthestFailure, OnlyTheFurthestPositionCounts) {
  FurthestFailure failure;
  failure.record(Rule::EOI, 3, failure.mark_at(3));
  failure.record(Rule::block, 7, failure.mark_at(7));
  failure.record(Rule::identifier, 5, failure.mark_at(5));
  EXPECT_EQ(failure.position(), 7u);
  EXPECT_EQ(failure.expected(), std::vector<Rule>{Rule::block});
}

// A failed attempt at `expression` that is met again is replayed from its effect instead of being
// parsed again; the record must come out as if it had been parsed again.
TEST(FurthestFailure, ReplayingAFailureIsLikeFailingAgain) {
  FurthestFailure failure;
  failure.record(Rule::EOI, 2, failure.mark_at(2));
  FurthestFailure::Snapshot before = failure.snapshot();
  failure.record(Rule::call_args, 5, failure.mark_at(5));
  failure.record(Rule::member_access, 5, failure.mark_at(5));
  FurthestFailure::Effect effect = failure.effect_since(before);

  FurthestFailure fresh;
  fresh.record(Rule::EOI, 2, fresh.mark_at(2));
  fresh.replay(effect);
  EXPECT_EQ(fresh.position(), 5u);
  EXPECT_EQ(fresh.expected(), (std::vector<Rule>{Rule::call_args, Rule::member_access}));

  FurthestFailure further;
  further.record(Rule::block, 9, further.mark_at(9));
  further.replay(effect);
  EXPECT_EQ(further.position(), 9u);
  EXPECT_EQ(further.expected(), std::vector<Rule>{Rule::block});
}

TEST(FurthestFailure, AReplayedFailureCountsAsTheRecordsItAdded) {
  FurthestFailure source;
  FurthestFailure::Snapshot before = source.snapshot();
  source.record(Rule::identifier, 4, source.mark_at(4));
  FurthestFailure::Effect one = source.effect_since(before);
  source.record(Rule::keyword, 4, source.mark_at(4));
  FurthestFailure::Effect two = source.effect_since(before);

  // One record replayed inside a failing rule is kept in its place, as a single inner record is.
  FurthestFailure failure;
  FurthestFailure::Mark outer = failure.mark_at(4);
  failure.replay(one);
  failure.record(Rule::param, 4, outer);
  EXPECT_EQ(failure.expected(), std::vector<Rule>{Rule::identifier});
  // Two records replayed at once are replaced by the failing rule.
  FurthestFailure other;
  outer = other.mark_at(4);
  other.replay(two);
  other.record(Rule::param, 4, outer);
  EXPECT_EQ(other.expected(), std::vector<Rule>{Rule::param});
}

TEST(IndentationStack, NumbersEachContentOnceAndVisitsTheNewestUnitFirst) {
  IndentationStack stack;
  EXPECT_TRUE(stack.empty());
  stack.push(IndentationStack::Unit::four_spaces);
  stack.push(IndentationStack::Unit::tab);
  std::uint32_t spaces_then_tab = stack.id();
  std::string order;
  stack.visit_from_top([&](IndentationStack::Unit unit) {
    order += static_cast<char>(unit);
    return true;
  });
  EXPECT_EQ(order, "\t ");
  stack.pop();
  stack.pop();
  EXPECT_TRUE(stack.empty());
  stack.push(IndentationStack::Unit::tab);
  stack.push(IndentationStack::Unit::tab);
  EXPECT_NE(stack.id(), spaces_then_tab);
  stack.pop();
  stack.pop();
  stack.push(IndentationStack::Unit::four_spaces);
  stack.push(IndentationStack::Unit::tab);
  EXPECT_EQ(stack.id(), spaces_then_tab);
}

TEST(Matches, EveryLadderLevelYieldsItsMatchAndTheEndComesLast) {
  EXPECT_EQ(shapes("x"), "expression_statement>" + operand_chain + "identifier'x'\nEOI''\n");
  EXPECT_EQ(shapes("\n\n// only a comment\n"), "EOI''\n");
}

TEST(Matches, SilentRulesLiftTheirInnerMatches) {
  EXPECT_EQ(shapes("f(a).b"),
            "expression_statement>" + operand_chain.substr(0, operand_chain.find("postfix_expression")) +
                "postfix_expression(primary_expression>identifier'f' call_args>" + operand_chain +
                "identifier'a' member_access>identifier'b')\nEOI''\n");
  std::string block = shapes("def f():\n    return\n    var y = 1\n");
  EXPECT_NE(block.find("block(return_statement'return' variable_declaration(identifier'y' "), std::string::npos)
      << block;
}

TEST(Matches, SpanKeepsTheSkipBeforeAnOptionalPartThatMatchedNothing) {
  EXPECT_NE(shapes("var x: Int = 1").find("type_annotation>identifier'Int'"), std::string::npos);
  Result<MatchTree> spaced = match_program("var x: Int = 1");
  ASSERT_TRUE(spaced);
  EXPECT_EQ(spaced.value().top_level()[0].inner()[1].text(), "Int ");
  Result<MatchTree> tight = match_program("var x: Int= 1");
  ASSERT_TRUE(tight);
  EXPECT_EQ(tight.value().top_level()[0].inner()[1].text(), "Int");
}

TEST(Matches, LiteralsTestNothingAfterThem) {
  EXPECT_EQ(shapes("variable = 1").substr(0, 42), "variable_declaration(identifier'iable' exp");
  EXPECT_EQ(shapes("a // b"), "expression_statement>" + operand_chain + "identifier'a'\nEOI''\n");
  EXPECT_NE(shapes("nothing").find("unary_expression(unary_operator'not' unary_expression>"), std::string::npos);
  EXPECT_NE(shapes("a += 1").find("assignment_operator'+='"), std::string::npos);
}

// The inner `if` tries the `else` first: its block pushes a unit for the deeper line, then fails on
// it. Only if that push is undone does the outer `if` find the stack it needs for the same lines.
TEST(Matches, AFailedAlternativeAfterAnIndentationPushLeavesTheStackAsItWas) {
  std::string source =
      "if a:\n"
      "    if b:\n"
      "        1\n"
      "else:\n"
      "        if c:\n"
      "    \ty\n";
  std::string result = shapes(source);
  ASSERT_EQ(result.find("-->"), std::string::npos) << result;
  // The outer conditional holds three inner matches: condition, then-branch and else-branch.
  Result<MatchTree> tree = match_program(source);
  RuleMatch outer_if = tree.value().top_level()[0];
  while (outer_if.rule() != Rule::if_expression) outer_if = outer_if.inner()[0];
  EXPECT_EQ(outer_if.inner().size(), 3u);
}

TEST(Matches, RefusesMalformedUtf8WhereItStarts) {
  EXPECT_EQ(shapes("x = 1\ny = \"\xc3\x28\"\n"),
            " --> 2:6\n  |\n2 | y = \"\uFFFD(\"\u240A\n  |      ^---\n  |\n  = invalid UTF-8");
}

std::string nested_parentheses(int depth) {
  return "x = " + std::string(depth, '(') + "1" + std::string(depth, ')');
}

TEST(Matches, DeepNestingWithinTheCapParses) {
  run_on_big_stack([] {
    EXPECT_TRUE(match_program(nested_parentheses(9999)));
    return 0;
  });
}

TEST(Matches, NestingBeyondTheCapIsAnErrorWhereTheCapWasHit) {
  run_on_big_stack([] {
    std::string error = match_program(nested_parentheses(20000)).error();
    EXPECT_EQ(error.substr(0, 14), " --> 1:10005\n ");
    EXPECT_EQ(error.substr(error.rfind('\n') + 1), "  = expression nested too deeply");
    return 0;
  });
}

}  // namespace
}  // namespace ostrel::grammar
