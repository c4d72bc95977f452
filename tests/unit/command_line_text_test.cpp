#include <gtest/gtest.h>

#include <map>

#include "main/styled_text.hpp"
#include "support/jaro.hpp"
#include "support/utf8.hpp"

using ostrel::colour_wanted;
using ostrel::jaro_similarity;

TEST(JaroSimilarity, KnownValues) {
  EXPECT_NEAR(jaro_similarity("martha", "marhta"), 0.944444, 1e-6);
  EXPECT_NEAR(jaro_similarity("dixon", "dicksonx"), 0.766667, 1e-6);
  EXPECT_NEAR(jaro_similarity("evl", "eval"), 0.916667, 1e-6);
  EXPECT_NEAR(jaro_similarity("rnu", "run"), 0.555556, 1e-6);
  EXPECT_EQ(jaro_similarity("", ""), 1.0);
  EXPECT_EQ(jaro_similarity("run", ""), 0.0);
  EXPECT_EQ(jaro_similarity("abc", "xyz"), 0.0);
  // Compared by characters, not bytes.
  EXPECT_NEAR(jaro_similarity("éa", "éb"), 2.0 / 3.0, 1e-9);
}

TEST(LossyUtf8, ReplacesEachMaximalBadSequence) {
  EXPECT_EQ(ostrel::lossy_utf8("plain é"), "plain é");
  EXPECT_EQ(ostrel::lossy_utf8("a\xff" "b"), "a\uFFFD" "b");
  EXPECT_EQ(ostrel::lossy_utf8("\xE2\x82" "x"), "\uFFFD" "x");          // a cut-off sequence
  EXPECT_EQ(ostrel::lossy_utf8("\xED\xA0\x80"), "\uFFFD\uFFFD\uFFFD");  // a surrogate
  EXPECT_EQ(ostrel::lossy_utf8("\xC0\xAF"), "\uFFFD\uFFFD");            // an overlong slash
}

TEST(ColourWanted, TerminalAndVariables) {
  auto decide = [](bool terminal, std::map<std::string, std::string> variables) {
    return colour_wanted(terminal, [&](const char* name) -> const char* {
      auto found = variables.find(name);
      return found == variables.end() ? nullptr : found->second.c_str();
    });
  };
  EXPECT_TRUE(decide(true, {{"TERM", "xterm"}}));
  EXPECT_FALSE(decide(false, {{"TERM", "xterm"}}));
  EXPECT_FALSE(decide(true, {}));
  EXPECT_FALSE(decide(true, {{"TERM", "dumb"}}));
  EXPECT_TRUE(decide(true, {{"TERM", "dumb"}, {"CI", ""}}));
  EXPECT_TRUE(decide(true, {{"CLICOLOR", "1"}}));
  EXPECT_FALSE(decide(true, {{"TERM", "xterm"}, {"CLICOLOR", "0"}}));
  EXPECT_FALSE(decide(true, {{"TERM", "xterm"}, {"NO_COLOR", "1"}}));
  EXPECT_TRUE(decide(true, {{"TERM", "xterm"}, {"NO_COLOR", ""}}));
  EXPECT_TRUE(decide(false, {{"CLICOLOR_FORCE", "1"}, {"NO_COLOR", "1"}}));
  EXPECT_TRUE(decide(false, {{"CLICOLOR_FORCE", ""}}));
  EXPECT_FALSE(decide(false, {{"CLICOLOR_FORCE", "0"}}));
}
