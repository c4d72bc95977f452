#include "repl/input_gatherer.hpp"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

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
