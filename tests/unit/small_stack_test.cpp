// Deep inputs on a thread with a small stack, as when no large stack could be had: each ends in
// the nesting error, never in a crash.
#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>
#include <string>

#include "ast/print_tree.hpp"
#include "parser/parse_program.hpp"

namespace ostrel {
namespace {

constexpr size_t kSmallStack = size_t{1} << 20;

// Runs `task` on a new thread with a stack of `bytes`.
void run_on_stack(size_t bytes, const std::function<void()>& task) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, bytes);
  pthread_t thread;
  auto body = [](void* raw) -> void* {
    (*static_cast<const std::function<void()>*>(raw))();
    return nullptr;
  };
  int created = pthread_create(&thread, &attributes, body, const_cast<std::function<void()>*>(&task));
  pthread_attr_destroy(&attributes);
  ASSERT_EQ(created, 0);
  pthread_join(thread, nullptr);
}

TEST(SmallStack, NestingBeyondWhatTheStackHoldsIsAParseError) {
  run_on_stack(kSmallStack, [] {
    auto deep = parse_program("x = " + std::string(2000, '(') + "1" + std::string(2000, ')'));
    ASSERT_FALSE(deep);
    EXPECT_NE(deep.error().find("expression nested too deeply"), std::string::npos) << deep.error();
    EXPECT_TRUE(parse_program("x = ((((1))))"));
  });
}

// An operator chain folds into a tree as deep as the chain is long, whatever the nesting cap.
TEST(SmallStack, ATreeDeeperThanTheStackHoldsIsNotPrinted) {
  std::string source = "1";
  for (int i = 0; i < 100000; ++i) source += "+1";
  auto tree = parse_program(source);
  ASSERT_TRUE(tree);
  run_on_stack(kSmallStack, [&tree] {
    EXPECT_EQ(print_tree(*tree.value(), [](std::string_view) { return true; }), PrintEnd::TooDeep);
  });
}

}  // namespace
}  // namespace ostrel
