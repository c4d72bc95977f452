#include "repl/variable_listing.hpp"

#include <gtest/gtest.h>

#include "support/utf8.hpp"

namespace ostrel {
namespace {

TEST(VariableListing, EmptyListing) {
  EXPECT_EQ(format_variable_listing({}), "(no user-defined variables)\n");
}

TEST(VariableListing, SortsByBytesAndKeepsScopeOrderForEqualNames) {
  std::vector<ListedVariable> variables = {
      {"b", "2"}, {"ab", "3"}, {"a", "outer"}, {"B", "4"}, {"é", "5"}, {"a", "inner"}};
  EXPECT_EQ(format_variable_listing(variables),
            "  B = 4\n"
            "  a = outer\n"
            "  a = inner\n"
            "  ab = 3\n"
            "  b = 2\n"
            "  é = 5\n");
}

TEST(VariableListing, PredefinedNames) {
  for (const char* name : {"print", "println", "len", "range", "str", "int", "float", "type", "map",
                           "filter", "sum", "append", "pacman", "systemd", "aur", "fs", "env", "system"}) {
    EXPECT_TRUE(is_predefined_name(name)) << name;
  }
  EXPECT_FALSE(is_predefined_name("Print"));
  EXPECT_FALSE(is_predefined_name("prin"));
  EXPECT_FALSE(is_predefined_name("x"));
}

TEST(ShortenDisplay, KeepsUpToEightyBytes) {
  std::string eighty(80, 'x');
  EXPECT_EQ(shorten_display(eighty), eighty);
  EXPECT_EQ(shorten_display(""), "");
}

TEST(ShortenDisplay, CutsLongerTextsToSeventySevenBytesAndDots) {
  std::string longer = std::string(77, 'a') + "bcdef";
  EXPECT_EQ(shorten_display(longer), std::string(77, 'a') + "...");
}

TEST(ShortenDisplay, NeverSplitsACharacter) {
  // 76 ASCII bytes, then "é" (2 bytes) spanning bytes 76 and 77: the cut falls before it.
  std::string split_two = std::string(76, 'a') + "é" + std::string(10, 'z');
  EXPECT_EQ(shorten_display(split_two), std::string(76, 'a') + "...");
  // A 4-byte character starting at byte 75: the cut backs off to byte 75.
  std::string split_four = std::string(75, 'a') + "𝄞" + std::string(10, 'z');
  EXPECT_EQ(shorten_display(split_four), std::string(75, 'a') + "...");
  // A character ending exactly at byte 77 is kept whole.
  std::string ends_at_cut = std::string(75, 'a') + "é" + std::string(10, 'z');
  EXPECT_EQ(shorten_display(ends_at_cut), std::string(75, 'a') + "é...");
  std::string all_wide;
  for (int i = 0; i < 41; ++i) all_wide += "ж";
  std::string shortened = shorten_display(all_wide);
  EXPECT_TRUE(is_valid_utf8(shortened));
  EXPECT_EQ(shortened.size(), 76u + 3u);
}

}  // namespace
}  // namespace ostrel
