// What the compiler makes of small programs, compared as listings (see instruction_listing.hpp):
// which slots operands are read from, which constants are read in place, where jumps go and
// which specialised forms are chosen.
#include <gtest/gtest.h>

#include "instruction_listing.hpp"
#include "interpreter/lowering.hpp"
#include "parser/parse_program.hpp"

namespace {

class Compiled : public ::testing::Test {
 protected:
  // The listing of each top-level statement of the source, one after another. Fresh globals
  // get slots in the order the statement's names are resolved.
  std::string top_level(std::string_view source) {
    std::string out;
    for (const auto* statement : statements(source)) out += listing::of(lower(*statement)->instructions);
    return out;
  }
  // The same in a run of one program, which may move a global's value instead of loaning it.
  std::string top_level_of_one_program(std::string_view source) {
    std::string out;
    for (const auto* statement : statements(source))
      out += listing::of(lower(*statement, one_program_)->instructions);
    return out;
  }
  // Globals bound before the statements are lowered, as earlier inputs of the REPL bind them.
  void bind(std::initializer_list<std::string_view> names) {
    for (std::string_view name : names) globals_[globals_.slot_of(symbols_.intern(name))] = ostrel::Value();
  }
  // The listing of the body of the function the source defines.
  std::string body(std::string_view source) {
    return listing::of(lower(*statements(source).front())->statement.function.code->instructions);
  }

 private:
  std::vector<const ostrel::ast::Stmt*> statements(std::string_view source) {
    auto parsed = ostrel::parse_program(source);
    EXPECT_TRUE(parsed) << parsed.error();
    programs_.push_back(std::move(parsed).value());
    std::vector<const ostrel::ast::Stmt*> out;
    for (const auto& statement : std::get<ostrel::ast::stmt::Module>(programs_.back()->node).statements)
      out.push_back(&statement);
    return out;
  }
  const std::unique_ptr<ostrel::code::TopLevel>& lower(const ostrel::ast::Stmt& statement) {
    return lower(statement, lowering_);
  }
  const std::unique_ptr<ostrel::code::TopLevel>& lower(const ostrel::ast::Stmt& statement,
                                                       ostrel::Lowering& lowering) {
    lowered_.push_back(lowering.lower(statement));
    EXPECT_TRUE(lowered_.back());
    return lowered_.back();
  }

  ostrel::SymbolTable symbols_;
  ostrel::Globals globals_;
  ostrel::StackGuard guard_;
  ostrel::Lowering lowering_{symbols_, globals_, guard_, false};
  ostrel::Lowering one_program_{symbols_, globals_, guard_, true};
  std::vector<ostrel::ast::StmtPtr> programs_;
  std::vector<std::unique_ptr<ostrel::code::TopLevel>> lowered_;
};

}  // namespace

TEST_F(Compiled, RecursiveCallsReadTheFunctionAndItsParameterInPlace) {
  // Slot 0 is f, slot 1 n, register 2 the result. The comparison with a constant jumps by
  // itself; the then-branch ends the body at once; each argument is computed where the call's
  // result goes, the second operand of + in a temporary above it.
  EXPECT_EQ(body("def f(n) = if n < 2: n else: f(n - 1) + f(n - 2)\n"),
            "0: LessConstantJump ->3 1 0 k=2\n"
            "1: EndCopy 2 1 0\n"
            "2: End 2 0 0\n"
            "3: SubtractConstant 2 1 0 k=1\n"
            "4: Call 2 0 1 (r2)\n"
            "5: SubtractConstant 3 1 0 k=2\n"
            "6: Call 3 0 1 (r3)\n"
            "7: Add 2 2 3\n"
            "8: End 2 0 0\n");
}

TEST_F(Compiled, ALoopOverRangeWalksItUnlessRangeWasReboundThenCallsIt) {
  // i is slot 0 of the statement's frame and 1 its result; range is global 0, print global 1.
  // RangeStart goes straight to the first step when it walks the range; otherwise the call's
  // list is walked. The body reads the loop's variable in place as print's argument.
  EXPECT_EQ(top_level("for i in range(3): print(i)\n"),
            "0: LoadNone 1 0 0\n"
            "1: LoadGlobal 2 0 0\n"
            "2: LoadConstant 3 0 0 k=3\n"
            "3: RangeStart ->6 2 1\n"
            "4: Call 2 2 1 (r3)\n"
            "5: ForStart 0 2 0\n"
            "6: Jump ->8 0 0\n"
            "7: Call 1 g1 1 (v0)\n"
            "8: ForLoop ->7 0 0\n"
            "9: ForEnd 0 0 0\n"
            "10: End 1 0 0\n"
            "11: End 1 0 0\n");
}

TEST_F(Compiled, ArmsOfOneKindShareItsTestAndEachFailedTestGoesOnWithTheNextArm) {
  // The scrutinee p is global 0, loaded into register 3; the arms' names share slots 0 and 1 and
  // the result is register 2. The tuple arms share one kind test (6: Tuple), which skips to the
  // list arm (4: List); an arm's body and its leaving end the statement at once.
  EXPECT_EQ(top_level("match p { (a, b) => a, (a, 0) => 0, [h ..t] => t, 5 => 1 }\n"),
            "0: LoadGlobal 3 0 0\n"
            "1: MatchKind ->15 3 6\n"
            "2: MatchLength ->8 3 2\n"
            "3: LoadElement 0 3 0\n"
            "4: LoadElement 1 3 1\n"
            "5: EndCopy 2 0 0\n"
            "6: End 2 0 0\n"
            "7: End 2 0 0\n"
            "8: MatchLength ->15 3 2\n"
            "9: LoadElement 0 3 0\n"
            "10: LoadElement 4 3 1\n"
            "11: MatchConstant ->15 4 0 k=0\n"
            "12: LoadConstant 2 0 0 k=0\n"
            "13: End 2 0 0\n"
            "14: End 2 0 0\n"
            "15: MatchKind ->22 3 4\n"
            "16: MatchLengthAtLeast ->22 3 1\n"
            "17: LoadElement 0 3 0\n"
            "18: LoadRest 1 3 1\n"
            "19: EndCopy 2 1 0\n"
            "20: End 2 0 0\n"
            "21: End 2 0 0\n"
            "22: MatchConstant ->26 3 0 k=5\n"
            "23: LoadConstant 2 0 0 k=1\n"
            "24: End 2 0 0\n"
            "25: End 2 0 0\n"
            "26: Fail 0 0 0\n"
            "27: End 2 0 0\n");
}

TEST_F(Compiled, ALocalIsMatchedWhereItIsUnlessAGuardMayAssignAndAnEmptyArmTestsTheLengthOnce) {
  // xs is slot 1: matched in place. After `[]`, the length is known to be 1 at least, so the
  // rest arm needs no test of its own; after `[]` with a guard it does.
  EXPECT_EQ(body("def total(xs) = match xs { [] => 0, [x ..rest] => x + total(rest) }\n"),
            "0: MatchKind ->11 1 4\n"
            "1: MatchLength ->5 1 0\n"
            "2: LoadConstant 4 0 0 k=0\n"
            "3: End 4 0 0\n"
            "4: End 4 0 0\n"
            "5: LoadElement 2 1 0\n"
            "6: LoadRest 3 1 1\n"
            "7: Call 6 0 1 (v3)\n"
            "8: Add 4 2 6\n"
            "9: End 4 0 0\n"
            "10: End 4 0 0\n"
            "11: Fail 0 0 0\n"
            "12: End 4 0 0\n");
  EXPECT_EQ(body("def f(xs, n) = match xs { [] if n > 0 => 1, [x ..rest] => rest }\n"),
            "0: MatchKind ->12 1 4\n"
            "1: MatchLength ->6 1 0\n"
            "2: CompareConstantJump ->6 2 0 k=0\n"
            "3: LoadConstant 5 0 0 k=1\n"
            "4: End 5 0 0\n"
            "5: End 5 0 0\n"
            "6: MatchLengthAtLeast ->12 1 1\n"
            "7: LoadElement 3 1 0\n"
            "8: LoadRest 4 1 1\n"
            "9: EndCopy 5 4 0\n"
            "10: End 5 0 0\n"
            "11: End 5 0 0\n"
            "12: Fail 0 0 0\n"
            "13: End 5 0 0\n");
  // A guard that assigns could change xs between the tests: it is copied into register 6 first.
  EXPECT_EQ(body("def f(xs):\n    var y = 0\n    match xs { [] if (y = 1) == 1 => 1, [x] => x }\n"),
            "0: LoadConstant 6 0 0 k=0\n"
            "1: Store 6 0 0\n"
            "2: LoadNone 5 0 0\n"
            "3: Copy 6 1 0\n"
            "4: MatchKind ->17 6 4\n"
            "5: MatchLength ->12 6 0\n"
            "6: LoadConstant 8 0 0 k=1\n"
            "7: Assign 8 7 0\n"
            "8: CompareConstantJump ->12 7 0 k=1\n"
            "9: LoadConstant 5 0 0 k=1\n"
            "10: End 5 0 0\n"
            "11: End 5 0 0\n"
            "12: MatchLength ->17 6 1\n"
            "13: LoadElement 4 6 0\n"
            "14: EndCopy 5 4 0\n"
            "15: End 5 0 0\n"
            "16: End 5 0 0\n"
            "17: Fail 0 0 0\n"
            "18: End 5 0 0\n"
            "19: End 5 0 0\n");
}

TEST_F(Compiled, AssignmentsAppendInPlaceFailOnOtherTargetsAndUpdateWhereTheVariableIs) {
  // append is global 0 and xs global 1, in the order they are met. While append is the builtin
  // the list grows in place; otherwise the call's result is assigned.
  EXPECT_EQ(top_level("xs = append(xs, 1)\n"),
            "0: LoadGlobal 1 0 0\n"
            "1: LoadGlobal 2 1 0\n"
            "2: LoadConstant 3 0 0 k=1\n"
            "3: AssignAppend ->6 1 0\n"
            "4: Call 1 1 2 (r2 r3)\n"
            "5: Assign 1 0 0\n"
            "6: End 0 0 0\n");
  // The value is computed before the target fails.
  EXPECT_EQ(top_level("xs.n = 2\n"),
            "0: LoadConstant 1 0 0 k=2\n"
            "1: Fail 0 0 0\n"
            "2: End 0 0 0\n");
  // A parameter, always bound, is updated in its own slot by a constant.
  EXPECT_EQ(body("def f(n):\n    n += 1\n    n\n"),
            "0: UpdateConstant 2 1 0 k=1\n"
            "1: EndCopy 2 1 0\n"
            "2: End 2 0 0\n");
}

TEST_F(Compiled, MapAndSumWalkTheirListOrRangeInTheLoopWhileTheyAreTheBuiltins) {
  // map is global 0, f 1, xs 2. The callee sits right below the list; MapStep calls f on each
  // element, and the plain call takes every other case.
  EXPECT_EQ(top_level("map(f, xs)\n"),
            "0: LoadGlobal 1 0 0\n"
            "1: LoadGlobal 3 1 0\n"
            "2: LoadGlobal 2 2 0\n"
            "3: MapStart ->6 2 1\n"
            "4: Call 0 1 2 (r3 r2)\n"
            "5: End 0 0 0\n"
            "6: MapStep 2 3 1 (r2)\n"
            "7: CollectEnd 0 0 0\n"
            "8: End 0 0 0\n");
  // sum is global 3, range 4. The walked range is summed after the arguments sum ignores.
  EXPECT_EQ(top_level("sum(range(4), xs)\n"),
            "0: LoadGlobal 1 3 0\n"
            "1: LoadGlobal 2 4 0\n"
            "2: LoadConstant 3 0 0 k=4\n"
            "3: RangeStart ->5 2 1\n"
            "4: Call 2 2 1 (r3)\n"
            "5: LoadGlobal 4 2 0\n"
            "6: SumEnd ->8 1 0\n"
            "7: Call 0 1 2 (r2 r4)\n"
            "8: End 0 0 0\n");
}

TEST_F(Compiled, AVariableMovesIntoACallOrSumOnlyWhereItIsNotReadAgain) {
  // The body's result call reads its parameters for the last time; a variable given twice is
  // copied.
  EXPECT_EQ(body("def push(xs, x) = append(xs, x)\n"),
            "0: Call 4 3 2 (m1 m2)\n"
            "1: End 4 0 0\n");
  EXPECT_EQ(body("def f(xs, g) = g(xs, xs)\n"),
            "0: Call 3 2 2 (v1 v1)\n"
            "1: End 3 0 0\n");
  // len(ys) copies ys, which a later statement reads; xs = g(xs) and the sum hand over the
  // value they replace; str(n) is n's last read in its block.
  EXPECT_EQ(body("def f(xs):\n    var ys = xs\n    var n = len(ys)\n    xs = g(xs)\n"
                 "    var s = \"\"\n    s = s + \"a\" + str(n)\n    [xs, ys, s]\n"),
            "0: Copy 10 1 0\n"
            "1: Store 10 0 0\n"
            "2: LoadNone 9 0 0\n"
            "3: Length 10 6 0\n"
            "4: Call 10 6 1 (v2)\n"
            "5: Store 10 0 0\n"
            "6: LoadNone 9 0 0\n"
            "7: Call 10 7 1 (m1)\n"
            "8: Assign 10 9 0\n"
            "9: LoadConstant 10 0 0 k=\n"
            "10: Store 10 0 0\n"
            "11: LoadNone 9 0 0\n"
            "12: Move 10 5 0\n"
            "13: AddConstant 10 10 0 k=a\n"
            "14: Text 11 8 0\n"
            "15: Call 11 8 1 (m3)\n"
            "16: Add 10 10 11\n"
            "17: Assign 10 9 0\n"
            "18: Copy 10 1 0\n"
            "19: Copy 11 2 0\n"
            "20: Copy 12 5 0\n"
            "21: MakeList 9 10 3\n"
            "22: End 9 0 0\n"
            "23: End 9 0 0\n");
}

TEST_F(Compiled, AGlobalReplacedByACallOrSumIsLoanedAcrossInputsAndMovedInOneProgram) {
  // xs is global 0, push global 1. Across inputs the assignment ends the loan; in one program the
  // value moves and is assigned as any other. A sum reading xs again reads it in place.
  bind({"xs", "push"});
  EXPECT_EQ(top_level("xs = push(xs, 1)\nxs = xs + [2] + \"a\"\nxs = xs + [2] + xs\n"),
            "0: Loan 1 g0 0\n"
            "1: Call 1 g1 2 (r1 k=1)\n"
            "2: AssignLoaned 1 0 0\n"
            "3: End 0 0 0\n"
            "0: Loan 1 g0 0\n"
            "1: LoadConstant 3 0 0 k=2\n"
            "2: MakeList 2 3 1\n"
            "3: Add 1 1 2\n"
            "4: AddConstant 1 1 0 k=a\n"
            "5: AssignLoaned 1 0 0\n"
            "6: End 0 0 0\n"
            "0: LoadConstant 3 0 0 k=2\n"
            "1: MakeList 2 3 1\n"
            "2: Add 1 g0 2\n"
            "3: Add 1 1 g0\n"
            "4: Assign 1 0 0\n"
            "5: End 0 0 0\n");
  EXPECT_EQ(top_level_of_one_program("xs = push(xs, 1)\n"),
            "0: Move 1 g0 0\n"
            "1: Call 1 g1 2 (r1 k=1)\n"
            "2: Assign 1 0 0\n"
            "3: End 0 0 0\n");
}
