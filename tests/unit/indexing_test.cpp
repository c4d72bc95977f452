// String indexing and dictionary lookup against the plain definitions they speed up: characters
// counted by scanning the bytes, keys found by comparing pair after pair from the front.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "interpreter/builtins.hpp"
#include "interpreter/value.hpp"

using ostrel::Value;
using ostrel::ValueList;
using ostrel::ValuePairs;

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
  Value character;
  for (size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(string.character_at(static_cast<int64_t>(i)).as_string(), expected[i]) << "at " << i;
    ASSERT_TRUE(string.character_into(static_cast<int64_t>(i), character));
    ASSERT_EQ(character.as_string(), expected[i]) << "at " << i;
  }
  EXPECT_FALSE(string.character_into(static_cast<int64_t>(expected.size()), character));
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

// The character may go where the string indexed was, its only holder.
TEST(StringIndexing, ACharacterMayReplaceItsString) {
  for (int64_t position : {0, 1}) {
    Value text = Value::string("h\xC3\xA9");
    ASSERT_TRUE(text.character_into(position, text));
    EXPECT_EQ(text.as_string(), position == 0 ? "h" : "\xC3\xA9");
  }
}

namespace {

const Value* first_equal_key(const ValuePairs& pairs, const Value& key) {
  for (const auto& [candidate, value] : pairs) {
    if (candidate.equals(key)) return &value;
  }
  return nullptr;
}

// Keys that stress the hash: numbers equal across Int and Float (and, past 2 ** 53, equal to
// neighbours that are not equal to each other), zeros of both signs, NaN, text, truth values,
// None, lists that are equal with different element kinds, kinds that equal nothing, texts
// around eight bytes, and texts equal to earlier ones in payloads of their own.
ValueList awkward_keys() {
  const int64_t big = int64_t{1} << 53;
  double nan = std::nan("");
  ValueList keys = {
      Value::integer(1),          Value::floating(1.0),         Value::integer(big),
      Value::integer(big + 1),    Value::floating(double(big)), Value::floating(-0.0),
      Value::integer(0),          Value::floating(nan),         Value::string("1"),
      Value::string(""),          Value::boolean(true),         Value::boolean(false),
      Value::none(),              Value::list({}),              Value::list({Value::integer(big)}),
      Value::list({Value::floating(double(big))}),              Value::list({Value::integer(big + 1)}),
      Value::list({Value::list({Value::integer(2)}), Value::string("x")}),
      Value::list({Value::list({Value::floating(2.0)}), Value::string("x")}),
      Value::list({Value::floating(nan)}),                      Value::tuple({Value::integer(1)}),
      Value::dict({}),            Value::builtin(ostrel::builtins().front()),
  };
  for (int i = 0; i < 12; ++i) keys.push_back(Value::string("k" + std::to_string(i)));
  for (const char* text : {"1234567", "12345678", "123456789", "k1", "1"}) keys.push_back(Value::string(text));
  keys.push_back(Value::string(std::string("\0" "1", 2)));
  return keys;
}

}  // namespace

TEST(DictLookup, FindsTheFirstEqualKeyLikeAScan) {
  ValueList keys = awkward_keys();
  std::mt19937 random(3);
  for (size_t size : {0, 1, 8, 9, 20, 200}) {
    ValuePairs pairs;
    std::uniform_int_distribution<size_t> pick(0, keys.size() - 1);
    for (size_t i = 0; i < size; ++i) pairs.emplace_back(keys[pick(random)], Value::integer(int64_t(i)));
    Value dict = Value::dict(pairs);
    for (const Value& key : keys) {
      const Value* expected = first_equal_key(pairs, key);
      const Value* found = dict.find(key);
      ASSERT_EQ(found == nullptr, expected == nullptr) << "size " << size << ", key " << key.display();
      if (expected) {
        ASSERT_EQ(found->as_int(), expected->as_int()) << "size " << size << ", key " << key.display();
      }
    }
  }
}

// Keys written in a program share their payload with the member names of the same text, which
// answers a lookup at once, unless an earlier key holds that text in a payload of its own.
TEST(DictLookup, ASmallDictionaryAnswersByPayloadOnlyForTheFirstKeyOfItsText) {
  Value early = Value::string("up");
  Value late = Value::string("up");
  Value dict = Value::dict({{Value::string("name"), Value::integer(0)},
                            {Value::integer(1), Value::integer(1)},
                            {Value::string("on"), Value::integer(2)},
                            {early, Value::integer(3)},
                            {late, Value::integer(4)}});
  EXPECT_EQ(dict.find(late)->as_int(), 3);
  EXPECT_EQ(dict.find(early)->as_int(), 3);
  EXPECT_EQ(dict.find(Value::string("on"))->as_int(), 2);
  EXPECT_EQ(dict.find(Value::string("name"))->as_int(), 0);
  EXPECT_EQ(dict.find(Value::string("no")), nullptr);
  EXPECT_EQ(dict.find(Value::string("u")), nullptr);
}

TEST(DictLookup, PairsKeepTheirOrderAndDuplicates) {
  ValuePairs pairs;
  for (int i = 0; i < 30; ++i) pairs.emplace_back(Value::string(i % 2 ? "odd" : "k" + std::to_string(i)), Value::integer(i));
  Value dict = Value::dict(pairs);
  EXPECT_EQ(dict.find(Value::string("odd"))->as_int(), 1);
  EXPECT_EQ(dict.find(Value::string("k28"))->as_int(), 28);
  EXPECT_EQ(dict.as_dict().size(), 30u);
  EXPECT_EQ(dict.display().substr(0, 24), "{k0: 0, odd: 1, k2: 2, o");
}

// A string remembers its hash once looked up; growing it in place, alone or shared, must not
// leave the old hash behind for either holder.
TEST(DictLookup, AKeyGrownAfterALookupFindsItsNewText) {
  ValuePairs pairs;
  for (int i = 0; i < 20; ++i) pairs.emplace_back(Value::string("k" + std::to_string(i)), Value::integer(i));
  Value dict = Value::dict(pairs);
  Value key = Value::string("k1");
  ASSERT_EQ(dict.find(key)->as_int(), 1);
  key.append_text("2");
  ASSERT_EQ(dict.find(key)->as_int(), 12);
  Value shared = key;
  shared.append_text("x");
  EXPECT_EQ(dict.find(shared), nullptr);
  EXPECT_EQ(dict.find(key)->as_int(), 12);
  shared = key;
  key.append_text("3");
  EXPECT_EQ(dict.find(key), nullptr);
  EXPECT_EQ(dict.find(shared)->as_int(), 12);
}
