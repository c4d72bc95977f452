#include "interpreter/interpreter.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <set>

#include "parser/parse_program.hpp"
#include "support/big_stack.hpp"
#include "syntax_builders.hpp"

using namespace build;
using ostrel::Value;

namespace {

class Programs : public ::testing::Test {
 protected:
  // The display form of the program's value, or "error: " and the message.
  std::string run(const Stmt& program) {
    auto result = interpreter.run_program(program);
    return result ? result->display() : "error: " + result.error();
  }
  std::set<std::string> variables() const {
    std::set<std::string> names;
    interpreter.for_each_binding([&](std::string_view name, const Value&) { names.emplace(name); });
    return names;
  }
  ostrel::Interpreter interpreter{std::make_unique<ostrel::CaptureSink>(), {}};
};

ExprPtr add(ExprPtr l, ExprPtr r) { return binary(Op::Add, std::move(l), std::move(r)); }

// def count(n) = if n == 0: 0 else: 1 + count(n - 1)
Stmt counting_function() {
  return def("count", {"n"},
             if_else(binary(Op::Eq, name("n"), integer(0)), integer(0),
                     add(integer(1), call("count", binary(Op::Sub, name("n"), integer(1))))));
}

}  // namespace

TEST_F(Programs, FunctionValuesOutliveTheTreeTheyCameFrom) {
  auto first = program(def("add", {"a", "b"}, add(name("a"), name("b"))),
                       var("twice", lambda({"x"}, binary(Op::Mul, name("x"), integer(2)))));
  EXPECT_EQ(run(*first), "None");
  first.reset();
  EXPECT_EQ(run(*program(expression(call("add", call("twice", integer(2)), integer(1))))), "5");
}

TEST_F(Programs, ScopesOpenedByFailingConstructsAreClosed) {
  std::set<std::string> before = variables();
  // for i in [1]: { var inner = 1; i + "x" }
  EXPECT_EQ(run(*program(expression(for_loop(
                "i", list(integer(1)), block(var("inner", integer(1)), expression(add(name("i"), text("x")))))))),
            "error: cannot add 1 and x");
  EXPECT_EQ(variables(), before);
  auto failing_call = program(def("f", {"p"}, block(var("local", integer(1)), expression(call("len", name("p"))))),
                              expression(call("f", integer(3))));
  EXPECT_EQ(run(*failing_call), "error: len() requires a list, string, or dict");
  before.insert("f");
  EXPECT_EQ(variables(), before);
}

TEST_F(Programs, ReturnAtTheTopLevelEndsTheProgram) {
  EXPECT_EQ(run(*program(ret(integer(1)), expression(call("print", text("never"))))), "1");
  EXPECT_TRUE(interpreter.output().is_empty());
  EXPECT_EQ(run(*program(ret(), expression(integer(2)))), "None");
}

TEST_F(Programs, AStatementOtherThanAModuleRunsOnce) {
  EXPECT_EQ(run(ret(integer(7))), "7");
  EXPECT_EQ(run(expression(call("undefined"))), "error: undefined variable: undefined");
}

TEST_F(Programs, InPlaceUpdatesNeverReachOtherHolders) {
  auto p = program(var("xs", list(integer(1))), var("ys", name("xs")),
                   expression(assign(name("xs"), call("append", name("xs"), integer(2)))),
                   var("f", lambda({}, name("xs"))), expression(compound(Op::Add, name("xs"), list(integer(3)))),
                   var("s", text("a")), var("t", name("s")), expression(compound(Op::Add, name("s"), name("s"))),
                   expression(assign(name("s"), add(name("s"), text("c")))),
                   expression(list(name("xs"), name("ys"), call("f"), name("s"), name("t"))));
  EXPECT_EQ(run(*p), "[[1, 2, 3], [1], [1, 2], aac, a]");
}

TEST_F(Programs, LoopsWalkTheListTheyStartedWith) {
  auto p = program(var("xs", list(integer(1), integer(2))),
                   expression(for_loop("x", name("xs"), assign(name("xs"), call("append", name("xs"), name("x"))))),
                   expression(name("xs")));
  EXPECT_EQ(run(*p), "[1, 2, 1, 2]");
}

TEST_F(Programs, AppendReboundByTheProgramIsCalledAsWritten) {
  auto p = program(var("append", lambda({"l", "x"}, name("x"))), var("zs", list()),
                   expression(assign(name("zs"), call("append", name("zs"), integer(9)))), expression(name("zs")));
  EXPECT_EQ(run(*p), "9");
  auto missing = program(expression(assign(name("nothing"), call("append", name("nothing"), integer(1)))));
  EXPECT_EQ(run(*missing), "error: undefined variable: nothing");
}

TEST_F(Programs, DeeplyNestedExpressionsFailCleanly) {
  ExprPtr nested = integer(1);
  for (int i = 0; i < 1000000; ++i) nested = unary(UnaryOperator::Neg, std::move(nested));
  EXPECT_EQ(run(*program(expression(call("print", text("first"))), expression(std::move(nested)))),
            "error: maximum recursion depth exceeded");
  EXPECT_EQ(interpreter.output().line_count(), 1u);
}

TEST(Recursion, TenThousandNestedCallsWorkAndRunawayRecursionIsStopped) {
  ostrel::run_on_big_stack([] {
    ostrel::Interpreter interpreter(std::make_unique<ostrel::CaptureSink>(), {});
    auto result = interpreter.run_program(*program(counting_function(), expression(call("count", integer(10000)))));
    EXPECT_TRUE(result && result->display() == "10000");
    // def forever(n) = 1 + forever(n + 1)
    auto runaway = program(def("forever", {"n"}, add(integer(1), call("forever", add(name("n"), integer(1))))),
                           expression(call("forever", integer(0))));
    result = interpreter.run_program(*runaway);
    EXPECT_TRUE(!result && result.error() == "maximum recursion depth exceeded");
    return 0;
  });
}

TEST(DisplayForm, AValueTooLargeToDisplayIsAnOutOfMemoryError) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the address sanitizer needs more address space than the cap below leaves";
#endif
  Value doubled = Value::list({});
  for (int i = 0; i < 40; ++i) doubled = Value::list({doubled, doubled});  // 2^40 elements shown
  EXPECT_EQ(ostrel::display_form(Value::list({Value::integer(1)})).value(), "[1]");
  // In a child process whose address space is capped, so that the machine's memory is spared.
  pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    rlimit cap{rlim_t{1} << 28, rlim_t{1} << 28};
    setrlimit(RLIMIT_AS, &cap);
    auto shown = ostrel::display_form(doubled);
    _exit(!shown && shown.error() == "out of memory" ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Memory runs out while a global loaned to a call grows in place: the error unwinds the call
// as any other, and the global holds what it held.
TEST_F(Programs, AGlobalLoanedToACallThatRunsOutOfMemoryKeepsItsValue) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the address sanitizer needs more address space than the cap below leaves";
#endif
  auto run_text = [&](std::string_view source) {
    auto tree = ostrel::parse_program(source);
    return tree ? run(*tree.value()) : "parse error";
  };
  ASSERT_EQ(run_text("def fill(xs) = [while True: xs = append(xs, 0)]\nvar seen = [1, 2] + [3]\n"), "None");
  // In a child process whose address space is capped, so that the machine's memory is spared.
  pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    rlimit cap{rlim_t{1} << 29, rlim_t{1} << 29};
    setrlimit(RLIMIT_AS, &cap);
    bool ran_out = run_text("seen = fill(seen)\n") == "error: out of memory";
    _exit(ran_out && run_text("seen + [4]\n") == "[1, 2, 3, 4]" ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// A failure deep in calls and loops run by the dispatch loop, some of them reached through map,
// leaves nothing behind: the next program in the same interpreter (the REPL's case) runs from a
// clean frame, with the failed run's globals as they were left.
TEST_F(Programs, AFailureInsideNestedCallsAndLoopsLeavesACleanInterpreter) {
  // def inner(n) = { for j in [1, 2]: { if j == n: j + "x" }; 0 }
  ExprPtr fails_at_n = if_else(binary(Op::Eq, name("j"), name("n")), add(name("j"), text("x")));
  ExprPtr inner_loop = for_loop("j", list(integer(1), integer(2)), block(expression(std::move(fails_at_n))));
  Stmt inner = def("inner", {"n"}, block(expression(std::move(inner_loop)), expression(integer(0))));
  // def outer(n) = { for i in [0]: map(inner, [0, n]); 1 }
  ExprPtr outer_loop = for_loop("i", list(integer(0)), call("map", name("inner"), list(integer(0), name("n"))));
  Stmt outer = def("outer", {"n"}, block(expression(std::move(outer_loop)), expression(integer(1))));
  auto failing = program(std::move(inner), std::move(outer), var("before", integer(5)),
                         expression(call("outer", integer(2))), var("after", integer(6)));
  EXPECT_EQ(run(*failing), "error: cannot add 2 and x");
  std::set<std::string> names = variables();
  EXPECT_TRUE(names.count("before") && !names.count("after"));
  // for k in [1, 2, 3]: total = total + outer(0) + k
  ExprPtr step = assign(name("total"), add(add(name("total"), call("outer", integer(0))), name("k")));
  auto next = program(var("total", integer(0)),
                      expression(for_loop("k", list(integer(1), integer(2), integer(3)), std::move(step))),
                      expression(name("total")));
  EXPECT_EQ(run(*next), "9");
  // The calls a failure unwound no longer count: after failing 60,000 calls deep, a recursion
  // almost as deep as the cap still fits.
  // def down(n) = if n == 0: 1 + "x" else: down(n - 1)
  ExprPtr recurse = call("down", binary(Op::Sub, name("n"), integer(1)));
  auto deep = program(def("down", {"n"}, if_else(binary(Op::Eq, name("n"), integer(0)), add(integer(1), text("x")),
                                                 std::move(recurse))),
                      expression(call("down", integer(60000))));
  EXPECT_EQ(run(*deep), "error: cannot add 1 and x");
  EXPECT_EQ(run(*program(counting_function(), expression(call("count", integer(99990))))), "99990");
}

// Arms of every shape, tried in order: consecutive tuple (or list) arms share one test of the
// kind, a failed guard goes on with the next arm, and a name given twice binds the later part.
TEST(MatchArms, EachValueTakesTheFirstArmThatFitsIt) {
  const std::string arms =
      "(0, _) => \"zero first\", (1, [a, b..r]) => [a, b, r], ((a, b), c) => a + b + c,"
      " (x, y) if x == 7 => y, (x, x) => x, [] => \"empty\", [[p, 1.0], \"t\"..r] => [p, r],"
      " [a, b..r] if len(r) > 1 => r, [a, b..r] => [b, a, r], [a, 2] => \"never\", (a) => [a],"
      " True => \"true\", 1 => \"one\", \"x\" => \"ex\", n if n == 250 => n";
  const std::vector<std::pair<std::string, std::string>> chosen = {
      {"(0, 9)", "zero first"}, {"(1, [2, 3, 4])", "[2, 3, [4]]"}, {"(1, [2])", "[2]"}, {"((1, 2), 3)", "6"},
      {"(7, 2)", "2"}, {"(2, 5)", "5"}, {"[]", "empty"}, {"[[1, 1], \"t\"]", "[1, []]"},
      {"[[5, 1], \"t\", 7, 8]", "[5, [7, 8]]"}, {"[[5, 2], \"t\"]", "[t, [5, 2], []]"}, {"[1, 2, 3, 4]", "[3, 4]"},
      {"[1, 2]", "[2, 1, []]"}, {"(7,)", "[7]"}, {"True", "true"}, {"1.0", "one"}, {"1", "one"}, {"\"x\"", "ex"},
      {"250", "250"}, {"[1]", "none"}, {"False", "none"}, {"42", "none"}, {"(1, 2, 3)", "none"},
      {"{\"a\": 1}", "none"}};
  for (const auto& [value, arm] : chosen) {
    ostrel::Interpreter interpreter(std::make_unique<ostrel::CaptureSink>(), {});
    auto tree = ostrel::parse_program("match " + value + " { " + arms + " }\n");
    ASSERT_TRUE(tree) << tree.error();
    auto result = interpreter.run_program(*tree.value());
    if (arm == "none") EXPECT_TRUE(!result && result.error() == "no matching pattern in match expression") << value;
    else EXPECT_TRUE(result && result->display() == arm) << value << ": " << (result ? result->display() : result.error());
  }
}

// Calls made from outside the dispatch loop (a builtin calling back, the interpreter's users)
// fill the callee's frame as calls inside it do, and a failing one leaves nothing behind.
TEST_F(Programs, CallsFromOutsideTheLoopBindArgumentsAsCallsInsideDo) {
  auto tree = ostrel::parse_program("def pair(a, b) = (a, b)\nvar fails = lambda: 1 + \"x\"\nvar size = len\n");
  ASSERT_TRUE(tree);
  ASSERT_EQ(run(*tree.value()), "None");
  std::map<std::string, Value> bound;
  interpreter.for_each_binding([&](std::string_view name, const Value& value) { bound[std::string(name)] = value; });
  auto call = [&](const std::string& callee, ostrel::ValueList arguments) {
    auto result = interpreter.call_value(bound.at(callee), arguments);
    return result ? result->display() : "error: " + result.error();
  };
  EXPECT_EQ(call("pair", {Value::integer(1)}), "(1, None)");
  EXPECT_EQ(call("pair", {Value::integer(1), Value::integer(2), Value::integer(3)}), "(1, 2)");
  EXPECT_EQ(call("size", {Value::string("abc")}), "3");
  EXPECT_EQ(call("fails", {}), "error: cannot add 1 and x");
  EXPECT_EQ(call("pair", {Value::integer(4), Value::integer(5)}), "(4, 5)");
  bound["one"] = Value::integer(1);
  EXPECT_EQ(call("one", {}), "error: cannot call non-function: 1");
  // map under another name calls back from outside the loop; a failure there, inside a walk of
  // its own, unwinds it, and the next program runs from a clean frame.
  tree = ostrel::parse_program("var m = map\nm(lambda x: [1 / (y - x) for y in range(3)], [2, 1])\n");
  ASSERT_TRUE(tree);
  EXPECT_EQ(run(*tree.value()), "error: division by zero");
  tree = ostrel::parse_program("[m(lambda x: x + k, range(2)) for k in range(2)]\n");
  ASSERT_TRUE(tree);
  EXPECT_EQ(run(*tree.value()), "[[0, 1], [1, 2]]");
}
