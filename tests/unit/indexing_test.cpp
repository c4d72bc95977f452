// String indexing against the plain definition it speeds up: characters counted by scanning the
// bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "interpreter/value.hpp"

using ostrel::Value;

namespace {

// The characters of a text: a byte that is not a continuation byte, with those that follow it.
std::vector<std::string> characters(const std::string& text) {
  std::vector<std::string> out;
  for (char c : text) {
    bool continuation = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
    if (!continuation) out.emplace_back();
    if (!out.empty()) out.back() += c;
  }
  return out;
}

void expect_indexes_like_scanning(const Value& string) {
  std::vector<std::string> expected = characters(string.as_string());
  ASSERT_EQ(string.character_count(), static_cast<int64_t>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(string.character_at(static_cast<int64_t>(i)).as_string(), expected[i]) << "at " << i;
  }
}

// ASCII, two-, three- and four-byte characters, and the malformed bytes that files and
// commands can bring: a stray continuation byte and a lead byte without its continuation.
std::string random_text(std::mt19937& random, size_t pieces, bool ascii_only) {
  static const char* const kPieces[] = {"a", "Z", "é", "€", "😀", "\x80", "\xC3"};
  std::string text;
  std::uniform_int_distribution<int> pick(0, ascii_only ? 1 : 6);
  for (size_t i = 0; i < pieces; ++i) text += kPieces[pick(random)];
  return text;
}

}  // namespace

TEST(StringIndexing, MatchesScanningTheBytes) {
  std::mt19937 random(7);
  for (size_t length : {0, 1, 31, 32, 33, 64, 65, 200}) {
    for (bool ascii_only : {true, false}) {
      expect_indexes_like_scanning(Value::string(random_text(random, length, ascii_only)));
    }
  }
  expect_indexes_like_scanning(Value::string("\x80\x80h\xC3\xA9llo"));
}

TEST(StringIndexing, AppendingKeepsTheIndexRight) {
  std::mt19937 random(11);
  // Indexed between appends, so that each append extends an index already built, passing from
  // ASCII to mixed text and appending continuation bytes that finish the last character.
  Value grown = Value::string("");
  for (int step = 0; step < 40; ++step) {
    grown.append_text(random_text(random, step % 7 * 5, step < 10 || step % 3 == 0));
    if (step % 4 == 3) grown.append_text("\xA9");
    expect_indexes_like_scanning(grown);
  }
  // ASCII text of every length around the stride turning mixed.
  for (size_t length = 0; length < 70; ++length) {
    Value text = Value::string(std::string(length, 'x'));
    text.character_count();
    text.append_text("é!");
    expect_indexes_like_scanning(text);
  }
  // A copy taken before an append keeps its old text and characters.
  Value ascii = Value::string(std::string(40, 'x'));
  EXPECT_EQ(ascii.character_count(), 40);
  Value copy = ascii;
  ascii.append_text("é");
  EXPECT_EQ(ascii.character_count(), 41);
  EXPECT_EQ(ascii.character_at(40).as_string(), "é");
  EXPECT_EQ(copy.character_count(), 40);
  expect_indexes_like_scanning(copy);
}

TEST(StringIndexing, AsciiCharactersAreShared) {
  Value text = Value::string("abca");
  EXPECT_EQ(text.character_at(0).payload(), text.character_at(3).payload());
  EXPECT_EQ(text.character_at(0).as_string(), "a");
}
