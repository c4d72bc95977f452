#include "interpreter/value.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "interpreter/builtins.hpp"

using ostrel::Value;

TEST(ValueDisplay, NestedCollections) {
  Value dict = Value::dict({{Value::string("k"), Value::boolean(true)}});
  Value list = Value::list({Value::integer(1), Value::floating(2.5), Value::floating(3.0), Value::string("a b"),
                            dict, Value::none()});
  EXPECT_EQ(list.display(), "[1, 2.5, 3, a b, {k: True}, None]");
  EXPECT_EQ(Value::tuple({Value::integer(1)}).display(), "(1)");
  EXPECT_EQ(Value::tuple({}).display(), "()");
  EXPECT_EQ(Value::dict({}).display(), "{}");
  const ostrel::Builtin read{"fs.read", nullptr};
  EXPECT_EQ(Value::builtin(read).display(), "<builtin:fs.read>");
}

// A list that holds one list twice, 64 levels down, displays to more text than any memory.
TEST(ValueDisplay, PrefixOfAValueTooLargeToDisplay) {
  Value v = Value::list({});
  for (int i = 0; i < 64; ++i) v = Value::list({v, v});
  std::string prefix;
  v.display_to(prefix, 81);
  EXPECT_GE(prefix.size(), 81u);
  EXPECT_LT(prefix.size(), 100u);
  EXPECT_EQ(prefix.substr(0, 64), std::string(64, '['));

  std::string text;
  Value::list({Value::string(std::string(1000, 'x'))}).display_to(text, 81);
  EXPECT_EQ(text, "[" + std::string(80, 'x'));
}

TEST(ValueDisplay, SizeIsKnownBeforeBuilding) {
  const ostrel::Builtin len{"len", nullptr};
  Value shared = Value::list({Value::string("é"), Value::floating(0.1)});
  Value dict = Value::dict({{Value::string("k"), shared}, {shared, Value::tuple({Value::integer(-7)})}});
  Value values[] = {Value::integer(0), Value::integer(-10), Value::integer(INT64_MIN), Value::integer(INT64_MAX),
                    Value::floating(-0.0), Value::floating(1e21), Value::floating(1e-7), Value::floating(NAN),
                    Value::floating(-INFINITY), Value::boolean(true), Value::boolean(false), Value::none(),
                    Value::builtin(len), Value::string(""), Value::list({}), Value::tuple({}), Value::dict({}),
                    Value::tuple({Value::integer(1)}), dict, Value::list({dict, shared, dict, shared})};
  for (const Value& v : values) EXPECT_EQ(v.display_size(), v.display().size()) << v.display();

  Value doubled = shared;
  for (int i = 0; i < 10; ++i) doubled = Value::list({doubled, doubled, Value::tuple({doubled})});
  EXPECT_EQ(doubled.display_size(), doubled.display().size());
}

// Sixty-four levels that each hold the one below twice: the size saturates, building fails at
// once, and a message shows the start of the display.
TEST(ValueDisplay, TooLargeForMemory) {
  Value v = Value::list({Value::string("é")});
  for (int i = 0; i < 64; ++i) v = Value::list({v, v});
  EXPECT_EQ(v.display_size(), SIZE_MAX);
  EXPECT_THROW(v.display(), std::bad_alloc);
  std::string shown = v.display_in_message();
  EXPECT_EQ(shown.substr(0, 67), std::string(65, '[') + "é");
  EXPECT_EQ(shown.substr(shown.size() - 3), "...");
  EXPECT_LE(shown.size(), 203u);
  EXPECT_EQ(Value::list({Value::string("é")}).display_in_message(), "[é]");
}

TEST(ValueEquality, FollowsLanguageRules) {
  EXPECT_TRUE(Value::integer(1).equals(Value::floating(1.0)));
  EXPECT_TRUE(Value::integer(9007199254740993).equals(Value::floating(9007199254740992.0)));
  EXPECT_FALSE(Value::string("1").equals(Value::integer(1)));
  EXPECT_FALSE(Value::boolean(true).equals(Value::integer(1)));
  Value nan_list = Value::list({Value::floating(std::nan(""))});
  EXPECT_FALSE(nan_list.equals(nan_list));
  EXPECT_TRUE(Value::list({}).equals(Value::list({})));
  Value tuple = Value::tuple({Value::integer(1)});
  EXPECT_FALSE(tuple.equals(tuple));
  Value dict = Value::dict({});
  EXPECT_FALSE(dict.equals(dict));
}

// One payload met many times over: the answers stay those of comparing element by element.
TEST(ValueEquality, SharedPayloadsMetAgain) {
  Value nan_list = Value::list({Value::floating(std::nan(""))});
  Value twice = Value::list({nan_list, nan_list});
  EXPECT_FALSE(twice.equals(twice));
  Value one = Value::list({Value::integer(1)});
  Value other_one = Value::list({Value::floating(1.0)});
  // The pair (one, one) is found equal first; (one, other_one) is a different pair.
  EXPECT_TRUE(Value::list({one, one}).equals(Value::list({one, other_one})));
  EXPECT_FALSE(Value::list({one, one}).equals(Value::list({one, Value::list({Value::integer(2)})})));
  Value tower = one;
  for (int i = 0; i < 200; ++i) tower = Value::list({tower, tower});
  Value other_tower = other_one;
  for (int i = 0; i < 200; ++i) other_tower = Value::list({other_tower, other_tower});
  EXPECT_TRUE(tower.equals(other_tower));
}

TEST(ValueSharing, WritesNeverReachOtherCopies) {
  Value a = Value::list({Value::integer(1)});
  Value b = a;
  b.list_mut().push_back(Value::integer(2));
  EXPECT_EQ(a.display(), "[1]");
  EXPECT_EQ(b.display(), "[1, 2]");
}

// Assigning a value that lives inside the payload being replaced: the payload may be freed only
// after the new value is held (the sanitizer build catches a read of freed memory).
// A long tail shares the list's storage; changes on either side stay on that side.
TEST(ValueSharing, TailsAreIndependentValues) {
  ostrel::ValueList items;
  for (int i = 0; i < 40; ++i) items.push_back(Value::integer(i));
  Value list = Value::list(items);
  Value tail = list.tail(1);
  Value tail_of_tail = tail.tail(2);
  EXPECT_EQ(tail.as_list().begin(), list.as_list().begin() + 1);
  EXPECT_EQ(tail_of_tail.as_list().begin(), list.as_list().begin() + 3);
  tail.list_mut().push_back(Value::integer(99));
  list.list_mut()[5] = Value::string("x");
  EXPECT_EQ(list.as_list().size(), 40u);
  EXPECT_EQ(tail.as_list().size(), 40u);
  EXPECT_EQ(tail.as_list()[4].as_int(), 5);
  EXPECT_EQ(tail_of_tail.as_list()[2].as_int(), 5);
  EXPECT_EQ(tail_of_tail.as_list().size(), 37u);
  EXPECT_EQ(list.tail(0).payload(), list.payload());
  EXPECT_EQ(list.tail(45).as_list().size(), 0u);
  EXPECT_EQ(list.tail(38).display(), "[38, 39]");
}

// Freed list payloads are made again into other lists: a view's into a plain list and a plain
// list's into a view, each reading only its own elements, with more freed at once than are kept.
TEST(ValueSharing, ListsMadeWhereOthersWereFreedHoldOnlyTheirOwnElements) {
  ostrel::ValueList items;
  for (int i = 0; i < 40; ++i) items.push_back(Value::integer(i));
  Value list = Value::list(items);
  std::vector<Value> held;
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 6000; ++i) held.push_back(list.tail(1 + i % 10));
    held.clear();
    for (int i = 0; i < 6000; ++i) held.push_back(Value::list({Value::integer(i)}));
    EXPECT_EQ(held[4321].display(), "[4321]");
    held[7].list_mut().push_back(Value::integer(-1));
    EXPECT_EQ(held[7].display(), "[7, -1]");
    held.clear();
    for (int i = 0; i < 6000; ++i) held.push_back(list.tail(20));
    EXPECT_EQ(held[5999].as_list().begin(), list.as_list().begin() + 20);
    held[3].list_mut().push_back(Value::integer(40));
    EXPECT_EQ(held[3].as_list().size(), 21u);
    EXPECT_EQ(held[4].as_list().size(), 20u);
    held.clear();
  }
  EXPECT_EQ(list.as_list().size(), 40u);
}

TEST(ValueSharing, AssignedFromInsideTheReplacedPayload) {
  Value copied = Value::list({Value::list({Value::string("inner")}), Value::integer(2)});
  copied = copied.as_list()[0];
  EXPECT_EQ(copied.display(), "[inner]");
  Value moved = Value::list({Value::string("only")});
  moved = std::move(moved.list_mut()[0]);
  EXPECT_EQ(moved.display(), "only");
  Value self = Value::string("same");
  Value& alias = self;
  self = alias;
  self = std::move(alias);
  EXPECT_EQ(self.display(), "same");
  Value counted = Value::list({Value::integer(1)});
  counted.set_int(7);
  EXPECT_EQ(counted.display(), "7");
}

// The lender and one borrower: the borrower grows the payload itself; a third holder still gets
// a copy. Undone, the lender holds what it lent, its character index and hash worked out anew.
TEST(ValueLoans, GrowthInPlaceIsUndoneAndSharedPayloadsAreCopied) {
  Value text = Value::string("a\xc3\xa9");
  EXPECT_EQ(text.character_count(), 2);
  uint64_t hash = text.text_hash();
  Value borrowed = text;
  ostrel::open_loan(text);
  borrowed.append_text("\xc3\xbc!");
  EXPECT_EQ(borrowed.payload(), text.payload());
  EXPECT_EQ(text.character_count(), 4);
  Value third = text;
  third.append_text("?");
  EXPECT_NE(third.payload(), text.payload());
  borrowed = Value();
  ostrel::undo_loan();
  EXPECT_EQ(text.as_string(), "a\xc3\xa9");
  EXPECT_EQ(text.character_count(), 2);
  EXPECT_EQ(text.text_hash(), hash);
  EXPECT_EQ(third.as_string(), "a\xc3\xa9\xc3\xbc!?");

  ostrel::ValueList items;
  for (int i = 0; i < 40; ++i) items.push_back(Value::integer(i));
  Value tail = Value::list(items).tail(1);  // a view, made the lender's own when it grows
  Value grown = tail;
  ostrel::open_loan(tail);
  grown.list_mut().push_back(Value::integer(40));
  EXPECT_EQ(grown.payload(), tail.payload());
  grown = Value();
  ostrel::undo_loan();
  EXPECT_EQ(tail.as_list().size(), 39u);
  EXPECT_EQ(tail.as_list()[38].as_int(), 39);
}

TEST(ValueDepth, DeeplyNestedValuesDisplayCompareAndFree) {
  Value nested = Value::list({});
  for (int i = 0; i < 1000000; ++i) nested = Value::list({nested});
  Value copy = nested;
  EXPECT_TRUE(nested.equals(copy));
  EXPECT_EQ(nested.display().size(), 2u * 1000001);
}
