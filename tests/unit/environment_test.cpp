#include "interpreter/environment.hpp"

#include <gtest/gtest.h>

using ostrel::Environment;
using ostrel::Value;

namespace {

std::string shown(const Environment& environment, ostrel::Symbol name) {
  const Value* value = environment.lookup(name);
  return value ? value->display() : "unbound";
}

Environment with_global(std::initializer_list<std::pair<ostrel::Symbol, int64_t>> bindings) {
  Environment environment;
  environment.push_scope();
  for (auto [name, value] : bindings) environment.define(name, Value::integer(value));
  return environment;
}

}  // namespace

TEST(Environment, DefineShadowsAndAssignUpdatesTheNearestBinding) {
  Environment environment = with_global({{1, 10}});
  environment.push_scope();
  environment.assign(1, Value::integer(11));  // reaches the global binding
  environment.define(1, Value::integer(20));  // shadows it
  EXPECT_EQ(shown(environment, 1), "20");
  environment.assign(2, Value::integer(5));  // unbound: lands in the innermost scope
  environment.pop_scope();
  EXPECT_EQ(shown(environment, 1), "11");
  EXPECT_EQ(shown(environment, 2), "unbound");
}

TEST(Environment, CapturesNeverSeeLaterWritesInEitherDirection) {
  Environment environment = with_global({{1, 1}});
  Environment closure = environment.capture({1, 3});
  environment.assign(1, Value::integer(2));
  environment.define(3, Value::integer(3));
  EXPECT_EQ(shown(closure, 1), "1");
  EXPECT_EQ(shown(closure, 3), "unbound");
  Environment call;
  call.rebuild(closure, ostrel::ScopeRef());
  call.assign(1, Value::integer(99));
  EXPECT_EQ(shown(closure, 1), "1");
  EXPECT_EQ(shown(environment, 1), "2");
  EXPECT_EQ(shown(call, 1), "99");
}

TEST(Environment, AReusedCallEnvironmentHoldsOnlyItsNewScopes) {
  Environment first = with_global({{1, 1}});
  first.push_scope();
  first.define(2, Value::integer(2));
  Environment call;
  call.rebuild(first, ostrel::ScopeRef::fresh());
  call.clear();
  call.rebuild(with_global({{3, 3}}), ostrel::ScopeRef());
  EXPECT_EQ(call.depth(), 2u);
  EXPECT_EQ(shown(call, 1), "unbound");
  EXPECT_EQ(shown(call, 2), "unbound");
  EXPECT_EQ(shown(call, 3), "3");
}

TEST(Scope, AScopeMadeAfterOthersWentStartsEmpty) {
  for (int round = 0; round < 100; ++round) {
    ostrel::ScopeRef scope = ostrel::ScopeRef::fresh();
    ASSERT_TRUE(scope->bindings().empty());
    ASSERT_EQ(scope->find(1), nullptr);
    scope.writable().define(1, Value::string("kept until the scope goes"));
    scope.writable().define(static_cast<ostrel::Symbol>(round + 2), Value::list({Value::integer(round)}));
  }
}

TEST(Environment, EmptyScopesTakeNoPartAndAnEmptyEnvironmentIgnoresWrites) {
  Environment environment = with_global({{1, 1}});
  environment.push_scope();
  environment.push_scope();
  Environment empty;
  empty.define(1, Value::integer(1));
  empty.assign(2, Value::integer(2));
  empty.pop_scope();
  EXPECT_EQ(empty.depth(), 0u);
  EXPECT_EQ(shown(empty, 1), "unbound");
}

TEST(Environment, ACaptureHoldsOnlyTheNamesAskedForWithTheirInnermostValues) {
  Environment environment = with_global({{1, 1}, {2, 2}});
  environment.push_scope();
  environment.define(1, Value::integer(10));
  Environment closure = environment.capture({1, 4});
  EXPECT_EQ(closure.depth(), 1u);
  EXPECT_EQ(shown(closure, 1), "10");
  EXPECT_EQ(shown(closure, 2), "unbound");
  EXPECT_EQ(shown(closure, 4), "unbound");
  EXPECT_EQ(environment.capture({4}).depth(), 0u);
}

TEST(Scope, LargeScopesFindEveryNameAndKeepTheirOrder) {
  Environment environment;
  environment.push_scope();
  for (ostrel::Symbol name = 0; name < 1000; ++name) environment.define(name * 7, Value::integer(name));
  environment.define(7 * 500, Value::integer(-1));
  for (ostrel::Symbol name = 0; name < 1000; ++name) {
    ASSERT_EQ(shown(environment, name * 7), name == 500 ? "-1" : std::to_string(name));
    ASSERT_EQ(shown(environment, name * 7 + 1), "unbound");
  }
  const auto& bindings = environment.scopes().front()->bindings();
  ASSERT_EQ(bindings.size(), 1000u);
  EXPECT_EQ(bindings[3].name, 21u);
}
