#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "parser/literal_values.hpp"
#include "parser/parse_program.hpp"
#include "support/big_stack.hpp"

namespace ostrel {
namespace {

std::string integer_error(std::string_view text) {
  Result<std::int64_t> value = read_integer(text);
  return value ? "ok" : value.error();
}

TEST(IntegerLiteral, ReadsTheWholeSignedRange) {
  EXPECT_EQ(read_integer("007").value(), 7);
  EXPECT_EQ(read_integer("9223372036854775807").value(), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(read_integer("-9223372036854775808").value(), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(integer_error("9223372036854775808"), "number too large to fit in target type");
  EXPECT_EQ(integer_error("-9223372036854775809"), "number too small to fit in target type");
  EXPECT_EQ(integer_error(""), "cannot parse integer from empty string");
  EXPECT_EQ(integer_error("-"), "invalid digit found in string");
  EXPECT_EQ(integer_error("12a"), "invalid digit found in string");
}

TEST(FloatLiteral, RoundsAndSaturates) {
  EXPECT_EQ(read_float("2.5e-3").value(), 0.0025);
  EXPECT_EQ(read_float("0.1").value(), 0.1);
  EXPECT_EQ(read_float("1e999").value(), std::numeric_limits<double>::infinity());
  EXPECT_EQ(read_float("1e-400").value(), 0.0);
  EXPECT_EQ(read_float("").error(), "cannot parse float from empty string");
  EXPECT_EQ(read_float("0x10").error(), "invalid float literal");
  EXPECT_EQ(read_float("1e").error(), "invalid float literal");
}

TEST(StringLiteral, ResolvesTheSevenEscapesAndKeepsOtherBackslashes) {
  EXPECT_EQ(string_literal_value(R"("a\n\t\r\\\"\'")"), "a\n\t\r\\\"'");
  EXPECT_EQ(string_literal_value(R"('\0')"), std::string(1, '\0'));
  EXPECT_EQ(string_literal_value(R"("\q")"), "\\q");
  EXPECT_EQ(string_literal_value("\"a\\\""), "a\\");
  EXPECT_EQ(string_literal_value("''"), "");
}

std::string parse_error(std::string_view source) {
  Result<ast::StmtPtr> tree = parse_program(source);
  return tree ? "ok" : tree.error();
}

const std::vector<ast::Stmt>& statements_of(const ast::Stmt& module) {
  return std::get<ast::stmt::Module>(module.node).statements;
}

TEST(ParseProgram, EmptyAndCommentOnlyTextsGiveAnEmptyModule) {
  for (std::string_view source : {"", "\n\n", "  // note\n/* block\ncomment */\n"}) {
    Result<ast::StmtPtr> tree = parse_program(source);
    ASSERT_TRUE(tree) << source;
    EXPECT_TRUE(statements_of(*tree.value()).empty());
  }
}

TEST(ParseProgram, ReportsOnlyTheFirstBuilderMessage) {
  EXPECT_EQ(parse_error("x = 1\na ||= 2\nb &&= 3\n"), "unknown assignment operator: ||=");
  EXPECT_EQ(parse_error("a &&= 99999999999999999999\n"), "invalid int: number too large to fit in target type");
}

TEST(ParseProgram, ABlockLineThatIsNotAStatementEndsTheBody) {
  Result<ast::StmtPtr> tree = parse_program("def f():\n    x\n    def g() = 1\n");
  ASSERT_TRUE(tree) << tree.error();
  ASSERT_EQ(statements_of(*tree.value()).size(), 2u);
  const auto& f = std::get<ast::stmt::FunctionDeclaration>(statements_of(*tree.value())[0].node).decl;
  EXPECT_EQ(std::get<ast::expr::Block>(f.body->node).statements.size(), 1u);
}

// 1 + 1 + ... folds to the left: the tree is as deep as the chain is long, so building and
// releasing it must not recurse per operand.
TEST(ParseProgram, ALongFlatChainBuildsALeftDeepTree) {
  std::string source = "1";
  for (int i = 1; i < 100000; ++i) source += "+1";
  Result<ast::StmtPtr> tree = parse_program(source);
  ASSERT_TRUE(tree);
  const ast::Expr* at = std::get<ast::stmt::Expression>(statements_of(*tree.value())[0].node).expr.get();
  int depth = 0;
  while (const auto* sum = std::get_if<ast::expr::BinaryOp>(&at->node)) {
    at = sum->left.get();
    ++depth;
  }
  EXPECT_EQ(depth, 99999);
  tree.value().reset();
}

TEST(ParseProgram, DeepNestingBuildsWithinTheCap) {
  run_on_big_stack([] {
    Result<ast::StmtPtr> tree = parse_program("x = " + std::string(4000, '[') + std::string(4000, ']'));
    EXPECT_TRUE(tree);
    return 0;
  });
}

}  // namespace
}  // namespace ostrel
