#include "support/char_class.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace ostrel {
namespace {

TEST(TrimWhiteSpaceEnd, RemovesAsciiAndUnicodeBlanks) {
  EXPECT_EQ(trim_white_space_end("a \t\r\n"), "a");
  EXPECT_EQ(trim_white_space_end("é\u00a0\u2028\u3000 "), "é");
  EXPECT_EQ(trim_white_space_end(" \u2003 "), "");
  EXPECT_EQ(trim_white_space_end(""), "");
  EXPECT_EQ(trim_white_space_end("日本"), "日本");
}

TEST(TrimWhiteSpaceEnd, MalformedBytesAreKept) {
  EXPECT_EQ(trim_white_space_end("a\x80 "), "a\x80");
  EXPECT_EQ(trim_white_space_end("\xe2\x80 "), "\xe2\x80");  // a truncated U+2028
  // U+2000 followed by a stray continuation byte: the stray byte ends the text.
  EXPECT_EQ(trim_white_space_end("\xe2\x80\x80\xa8"), "\xe2\x80\x80\xa8");
  EXPECT_EQ(trim_white_space_end("\xff\xe2\x80\xa8"), "\xff");
}

// The interactive loop trims its whole pending input after every line it reads.
TEST(TrimWhiteSpaceEnd, CostsOnlyTheTrimmedTail) {
  std::string text(std::size_t{1} << 24, 'x');
  text += "  ";
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 100; ++i) EXPECT_EQ(trim_white_space_end(text).size(), text.size() - 2);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

}  // namespace
}  // namespace ostrel
