#include "interpreter/lowering.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "interpreter/function.hpp"
#include "syntax_builders.hpp"

using namespace build;
using ostrel::Value;
using ostrel::code::Slot;

namespace {

class Lowered : public ::testing::Test {
 protected:
  std::unique_ptr<ostrel::code::TopLevel> lower(const Stmt& statement) {
    auto lowered = lowering.lower(statement);
    EXPECT_TRUE(lowered);
    return lowered;
  }
  Slot global(const std::string& name) { return {globals.slot_of(symbols.intern(name)), true}; }

  ostrel::SymbolTable symbols;
  ostrel::Globals globals;
  ostrel::StackGuard guard;
  ostrel::Lowering lowering{symbols, globals, guard};
};

template <class T>
const T& node(const ostrel::code::ExprPtr& e) {
  return ostrel::code::as<T>(*e);
}

// The slots a use of a name was resolved to, innermost first, written "L3" (frame) or "G1".
std::string slots(const ostrel::code::Ref& ref) {
  std::string out;
  for (Slot slot : ref.slots) out += (out.empty() ? "" : " ") + std::string(slot.global ? "G" : "L") + std::to_string(slot.index);
  return out;
}

}  // namespace

TEST_F(Lowered, ANameABlockDeclaresLaterMayStillBeTheOuterOne) {
  // { print(x); var x = 1; x }
  auto top = lower(expression(block(expression(call("print", name("x"))), var("x", integer(1)), expression(name("x")))));
  const auto& statements = node<ostrel::code::Block>(top->statement.expr).statements;
  const auto& printed = node<ostrel::code::Call>(statements[0].expr).arguments[0];
  std::string outer = "G" + std::to_string(global("x").index);
  EXPECT_EQ(slots(node<ostrel::code::Name>(printed).ref), "L0 " + outer);
  // After the declaration the block's own slot is bound until the block ends.
  EXPECT_EQ(slots(node<ostrel::code::Name>(statements[2].expr).ref), "L0");
  EXPECT_FALSE(statements[1].slot.global);
  EXPECT_EQ(node<ostrel::code::Block>(top->statement.expr).scope, std::vector<uint32_t>{0});
}

TEST_F(Lowered, AssignmentsInInlineLoopBodiesBindTheEnclosingScope) {
  // for i in xs: (total = i)  -- the loop's own scope holds total; a while holds none
  auto top = lower(expression(for_loop("i", name("xs"), assign(name("total"), name("i")))));
  const auto& loop = node<ostrel::code::For>(top->statement.expr);
  const auto& target = *node<ostrel::code::Assign>(loop.body).target;
  EXPECT_EQ(slots(target), "L1 G" + std::to_string(global("total").index));
  EXPECT_EQ(loop.scope.size(), 2u);
  auto again = lower(expression(while_loop(boolean(false), assign(name("w"), integer(1)))));
  EXPECT_EQ(slots(*node<ostrel::code::Assign>(node<ostrel::code::While>(again->statement.expr).body).target),
            "G" + std::to_string(global("w").index));
}

TEST_F(Lowered, AssignmentsBeforeANameAlwaysBoundKeepOnlyDeclaredSlots) {
  // With total bound already, the loop's slot for it could never be bound: only the global is
  // left. A declaration in the body keeps the body's own slot, ahead of the global.
  globals[global("total").index] = Value::integer(0);
  std::string total = "G" + std::to_string(global("total").index);
  auto top = lower(expression(for_loop("i", name("xs"), assign(name("total"), name("i")))));
  EXPECT_EQ(slots(*node<ostrel::code::Assign>(node<ostrel::code::For>(top->statement.expr).body).target), total);
  auto declared = lower(expression(
      for_loop("i", name("xs"), block(expression(assign(name("total"), name("i"))), var("total", integer(1))))));
  const auto& body = node<ostrel::code::Block>(node<ostrel::code::For>(declared->statement.expr).body);
  EXPECT_EQ(slots(*node<ostrel::code::Assign>(body.statements[0].expr).target), "L1 " + total);
  // def f(n) = for i in xs: (n = i)  -- the parameter is always bound: its slot only
  auto function = lower(def("f", {"n"}, for_loop("i", name("xs"), assign(name("n"), name("i")))));
  const auto& loop = node<ostrel::code::For>(function->statement.function.code->body);
  EXPECT_EQ(slots(*node<ostrel::code::Assign>(loop.body).target), "L1");
}

TEST_F(Lowered, FunctionsCaptureOnlyWhatTheyUseAndPassItThroughNestedOnes) {
  // def f(a) = lambda: a + b + f
  auto top = lower(def("f", {"a"}, lambda({}, binary(Op::Add, binary(Op::Add, name("a"), name("b")), name("f")))));
  const auto& outer = *top->statement.function.code;
  EXPECT_EQ(outer.self_slot, 0u);
  EXPECT_EQ(outer.param_slots, std::vector<uint32_t>{1});
  // b is the only name from outside: the declaration captures it from the global table.
  ASSERT_EQ(top->statement.function.captures.size(), 1u);
  EXPECT_EQ(slots(top->statement.function.captures[0]), "G" + std::to_string(global("b").index));
  const auto& inner = node<ostrel::code::Lambda>(outer.body).closure;
  ASSERT_EQ(inner.captures.size(), 3u);
  // The lambda takes a and f from the call's own slots, which are always bound, and b from the
  // slot the outer function captured it into.
  std::vector<std::string> taken;
  for (const auto& capture : inner.captures) taken.push_back(symbols.name(capture.name) + ":" + slots(capture));
  std::sort(taken.begin(), taken.end());
  EXPECT_EQ(taken, (std::vector<std::string>{"a:L1", "b:L2", "f:L0"}));
}

TEST_F(Lowered, AFunctionBorrowsItsOwnValueOnlyWhenNothingElseCanBindItsName) {
  auto borrows = [&](ExprPtr body, std::vector<std::string> params = {"n"}) {
    return lower(def("f", std::move(params), std::move(body)))->statement.function.code->self_borrowed;
  };
  // Reads, calls and captures leave the slot alone, inner functions bind their own frames.
  EXPECT_TRUE(borrows(call("f", binary(Op::Sub, name("n"), integer(1)))));
  EXPECT_TRUE(borrows(lambda({}, name("f"))));
  EXPECT_TRUE(borrows(lambda({"f"}, assign(name("f"), integer(1)))));
  // Anything binding the name in the body, at any depth, may write the own name's slot.
  EXPECT_FALSE(borrows(assign(name("f"), integer(0))));
  EXPECT_FALSE(borrows(for_loop("i", name("xs"), if_else(name("i"), assign(name("f"), name("i"))))));
  EXPECT_FALSE(borrows(compound(Op::Add, name("f"), integer(1))));
  EXPECT_FALSE(borrows(block(var("f", integer(1)), expression(name("f")))));
  EXPECT_FALSE(borrows(for_loop("f", name("xs"), name("f"))));
  EXPECT_FALSE(borrows(name("f"), {"f"}));
}

TEST_F(Lowered, NamesDeclaredEarlierInTheBodyAreNotCaptured) {
  // def f() = { var a = 1; a = a + 1; lambda: a + c }
  auto top = lower(def("f", {}, block(var("a", integer(1)), expression(assign(name("a"), binary(Op::Add, name("a"), integer(1)))),
                                      expression(lambda({}, binary(Op::Add, name("a"), name("c")))))));
  const auto& function = top->statement.function;
  ASSERT_EQ(function.captures.size(), 1u);
  EXPECT_EQ(symbols.name(function.captures[0].name), "c");
  const auto& statements = node<ostrel::code::Block>(function.code->body).statements;
  EXPECT_EQ(slots(*node<ostrel::code::Assign>(statements[1].expr).target), "L1");  // L0 is f itself
  const auto& inner = node<ostrel::code::Lambda>(statements[2].expr).closure;
  ASSERT_EQ(inner.captures.size(), 2u);
  EXPECT_EQ(slots(inner.captures[0]), "L1");
}

TEST_F(Lowered, ExpressionStatementsGetInstructionsAndRoomForTemporaries) {
  auto top = lower(expression(binary(Op::Add, integer(1), call("len", text("ab")))));
  EXPECT_EQ(top->variables, 0u);
  // The result (where 1 waits) and the call's result; len and "ab" are read where they are.
  EXPECT_EQ(top->frame_size, 2u);
  EXPECT_EQ(top->instructions.code.back().op, ostrel::code::Op::End);
}

TEST(ValueStack, GrowingKeepsTheSlotsAndPoppingReleasesThem) {
  ostrel::ValueStack stack;
  stack.push(1, 0, 1);
  EXPECT_FALSE(ostrel::is_bound(stack[0]));
  stack[0] = Value::list({Value::string("kept")});
  stack.push(100003, 0, 100000);  // grows: the first slot moves
  EXPECT_EQ(stack[0].display(), "[kept]");
  EXPECT_FALSE(ostrel::is_bound(stack[99999 + 1]));
  EXPECT_TRUE(stack[100001].is_none());
  stack[100002] = Value::string("released");
  stack.pop_to(1);
  EXPECT_EQ(stack.top(), 1u);
  stack.push(2, 0, 0);
  EXPECT_TRUE(stack[2].is_none());  // slots above the top hold None again
}

TEST(Globals, SlotsStayAndOnlyBoundOnesAreListedInTheOrderMet) {
  ostrel::Globals globals;
  uint32_t b = globals.slot_of(7);
  uint32_t a = globals.slot_of(3);
  EXPECT_EQ(globals.slot_of(7), b);
  globals[a] = Value::integer(1);
  std::vector<ostrel::Symbol> listed;
  globals.for_each_bound([&](ostrel::Symbol name, const Value&) { listed.push_back(name); });
  EXPECT_EQ(listed, std::vector<ostrel::Symbol>{3});
  globals[b] = Value::integer(2);
  listed.clear();
  globals.for_each_bound([&](ostrel::Symbol name, const Value&) { listed.push_back(name); });
  EXPECT_EQ(listed, (std::vector<ostrel::Symbol>{7, 3}));
}

TEST_F(Lowered, AVariableIsReadInPlaceOnlyWhereNothingAfterItCanAssignIt) {
  // def f(x, y) = [x + y, x + (x = 1)]
  auto top = lower(def("f", {"x", "y"},
                       list(binary(Op::Add, name("x"), name("y")),
                            binary(Op::Add, name("x"), assign(name("x"), integer(1))))));
  std::vector<const ostrel::code::Instruction*> sums;
  // Each element compiled alone, so that its instructions start the chunk.
  const auto& elements = node<ostrel::code::Elements>(top->statement.function.code->body).elements;
  ostrel::code::Chunk plain, assigning;
  ostrel::code::compile_instructions(*elements[0], 10, guard, plain);
  ostrel::code::compile_instructions(*elements[1], 10, guard, assigning);
  EXPECT_EQ(plain.code.front().op, ostrel::code::Op::Add);
  EXPECT_NE(plain.code.front().p, nullptr);  // x read in its own slot
  // x, a parameter and so always bound, is copied before the assignment without a check
  EXPECT_EQ(assigning.code.front().op, ostrel::code::Op::Copy);
  const auto& sum = assigning.code[assigning.code.size() - 2];
  EXPECT_EQ(sum.op, ostrel::code::Op::Add);
  EXPECT_EQ(sum.p, nullptr);
}

const ostrel::code::Instruction& last_call(const ostrel::code::Chunk& chunk) {
  auto call = std::find_if(chunk.code.rbegin(), chunk.code.rend(),
                           [](const auto& in) { return in.op == ostrel::code::Op::Call; });
  EXPECT_NE(call, chunk.code.rend());
  return *call;
}

std::vector<ostrel::code::Argument> arguments_of(const ostrel::code::Instruction& call) {
  const auto* first = static_cast<const ostrel::code::Argument*>(call.q);
  return {first, first + call.c};
}

TEST_F(Lowered, ACalleeThatMayBeUnboundComesFirstAndItsArgumentsGoIntoTemporaries) {
  auto top = lower(expression(call("f", integer(1), call("g", integer(2)), integer(3))));
  const auto& outer = last_call(top->instructions);
  EXPECT_EQ(outer.a, 0u);  // the result register
  EXPECT_EQ(outer.b, 1u);  // f, loaded before its arguments: the first waits in the result register
  EXPECT_EQ(outer.p, nullptr);
  std::vector<uint32_t> registers;
  for (const auto& argument : arguments_of(outer)) {
    EXPECT_EQ(argument.from, ostrel::code::Argument::From::Temporary);
    registers.push_back(argument.operand);
  }
  EXPECT_EQ(registers, (std::vector<uint32_t>{0, 2, 3}));
  EXPECT_EQ(top->frame_size, 4u);
}

TEST_F(Lowered, ABoundCalleeAndBoundArgumentsAreReadWhereTheyAre) {
  using From = ostrel::code::Argument::From;
  // def f(x, y) = f(x, 1, y + 1)
  auto top = lower(def("f", {"x", "y"}, call("f", name("x"), integer(1), binary(Op::Add, name("y"), integer(1)))));
  const auto& code = *top->statement.function.code;
  const auto& recursive = last_call(code.instructions);
  EXPECT_NE(recursive.p, nullptr);
  EXPECT_EQ(recursive.b, *code.self_slot);
  const auto& arguments = arguments_of(recursive);
  ASSERT_EQ(arguments.size(), 3u);
  EXPECT_EQ(arguments[0].from, From::Variable);
  EXPECT_EQ(arguments[0].operand, code.param_slots[0]);
  EXPECT_EQ(arguments[1].from, From::Constant);
  EXPECT_EQ(arguments[2].from, From::Temporary);
  EXPECT_GE(arguments[2].operand, code.variables);
  // An argument that assigns the callee's name makes the callee a temporary, loaded first.
  auto assigning = lower(def("g", {"x"}, call("g", assign(name("g"), integer(1)))));
  const auto& reassigned = last_call(assigning->statement.function.code->instructions);
  EXPECT_EQ(reassigned.p, nullptr);
  EXPECT_EQ(arguments_of(reassigned)[0].from, From::Temporary);
}
