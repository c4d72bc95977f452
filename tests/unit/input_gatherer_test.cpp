#include "repl/input_gatherer.hpp"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(NeedsMoreInput, CompleteTexts) {
  EXPECT_FALSE(needs_more_input(""));
  EXPECT_FALSE(needs_more_input(" \t\u3000"));
  EXPECT_FALSE(needs_more_input("x = 1"));
  EXPECT_FALSE(needs_more_input("f(1, [2], {a: 3})"));
}

TEST(NeedsMoreInput, TrailingColonOrBackslashContinues) {
  EXPECT_TRUE(needs_more_input("def f(x):"));
  EXPECT_TRUE(needs_more_input("if x:  \t"));
  EXPECT_TRUE(needs_more_input("1 + \\"));
  // Trailing white space is Unicode white space, not only ASCII.
  EXPECT_TRUE(needs_more_input("else:\u00a0\u2028"));
}

TEST(NeedsMoreInput, ColonWordIsNotContinued) {
  EXPECT_FALSE(needs_more_input(":foo:"));
  EXPECT_FALSE(needs_more_input(":"));
  // Only the very first character counts: leading blanks make it code that continues.
  EXPECT_TRUE(needs_more_input(" :foo:"));
}

TEST(NeedsMoreInput, OpenBrackets) {
  EXPECT_TRUE(needs_more_input("[1, 2,"));
  EXPECT_TRUE(needs_more_input("f("));
  EXPECT_TRUE(needs_more_input("{a: (1"));
  EXPECT_FALSE(needs_more_input("[1, 2,\n3]\n"));
  // Extra closers never make a text incomplete, and do not cancel a different open bracket.
  EXPECT_FALSE(needs_more_input("))"));
  EXPECT_TRUE(needs_more_input(")) ["));
}

TEST(NeedsMoreInput, StringLiterals) {
  EXPECT_FALSE(needs_more_input("print(\"(\")"));
  EXPECT_FALSE(needs_more_input("x = '[{'"));
  EXPECT_FALSE(needs_more_input("x = \"it's (\""));
  EXPECT_FALSE(needs_more_input("x = \"a\\\"(\""));
  EXPECT_TRUE(needs_more_input("f(\"\\\\\""));
  // An unterminated literal is not a reason to continue.
  EXPECT_FALSE(needs_more_input("x = \"abc"));
  EXPECT_FALSE(needs_more_input("x = \"(é"));
}

TEST(NeedsMoreInput, CommentsAreNotRecognised) {
  EXPECT_TRUE(needs_more_input("x = 1 // (note"));
}

TEST(InputGatherer, CompleteLineRunsAsTyped) {
  InputGatherer gatherer;
  EXPECT_EQ(gatherer.add_line("  x = 1  "), "  x = 1  ");
  EXPECT_FALSE(gatherer.gathering());
}

TEST(InputGatherer, BackslashJoinsWithoutNewline) {
  InputGatherer gatherer;
  EXPECT_EQ(gatherer.add_line("1 + \\  "), std::nullopt);
  EXPECT_TRUE(gatherer.gathering());
  EXPECT_EQ(gatherer.add_line("2"), "1 + 2\n");
  EXPECT_FALSE(gatherer.gathering());
}

TEST(InputGatherer, BackslashWhileGatheringDoesNotKeepItOpen) {
  InputGatherer gatherer;
  EXPECT_EQ(gatherer.add_line("1 + \\"), std::nullopt);
  EXPECT_EQ(gatherer.add_line("2 + \\"), "1 + 2 + ");
}

TEST(InputGatherer, OpenBracketRunsWhenClosed) {
  InputGatherer gatherer;
  EXPECT_EQ(gatherer.add_line("[1, 2,"), std::nullopt);
  EXPECT_EQ(gatherer.add_line("3,"), std::nullopt);
  EXPECT_EQ(gatherer.add_line("4]"), "[1, 2,\n3,\n4]\n");
}

TEST(InputGatherer, BlockHeaderRunsWithItsFirstBodyLine) {
  InputGatherer gatherer;
  EXPECT_EQ(gatherer.add_line("def f(x):"), std::nullopt);
  EXPECT_EQ(gatherer.add_line("    x + 1"), "def f(x):\n    x + 1\n");
}

TEST(InputGatherer, BlankLineRunsWhateverTheState) {
  InputGatherer gatherer;
  EXPECT_EQ(gatherer.add_line("x = 1 // ("), std::nullopt);
  EXPECT_EQ(gatherer.add_line("if x:"), std::nullopt);
  EXPECT_EQ(gatherer.add_line(" \t\u00a0"), "x = 1 // (\nif x:\n");
  EXPECT_FALSE(gatherer.gathering());
  EXPECT_EQ(gatherer.add_line("2"), "2");
}

}  // namespace
}  // namespace ostrel
