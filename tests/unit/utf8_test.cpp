#include "support/utf8.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace ostrel {
namespace {

TEST(DecodeUtf8, EveryLengthAndEachKindOfMalformedByte) {
  struct Case {
    const char* text;
    char32_t code_point;
    std::size_t length;
  };
  for (Case c : {Case{"a", U'a', 1}, Case{"\u00e9x", 0xE9, 2}, Case{"\u20ac", 0x20AC, 3},
                 Case{"\U0001F600", 0x1F600, 4}, Case{"\U0010FFFF", 0x10FFFF, 4}, Case{"\uFFFF", 0xFFFF, 3}}) {
    DecodedChar decoded = decode_utf8(c.text);
    EXPECT_TRUE(decoded.valid) << c.text;
    EXPECT_EQ(decoded.code_point, c.code_point) << c.text;
    EXPECT_EQ(decoded.length, c.length) << c.text;
  }
  // A lone continuation, overlong forms, a surrogate, past U+10FFFF, a cut-off character.
  for (const char* bad : {"\x80", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF5",
                          "\xE2\x82", "\xF0\x9F\x98"}) {
    DecodedChar decoded = decode_utf8(bad);
    EXPECT_FALSE(decoded.valid);
    EXPECT_EQ(decoded.code_point, 0xFFFDu);
    EXPECT_EQ(decoded.length, 1u);
  }
  EXPECT_EQ(first_invalid_utf8("ok \u00e9\xE2\x82"), 5u);
  EXPECT_EQ(first_invalid_utf8("\U0001F600"), std::string_view::npos);
}

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
