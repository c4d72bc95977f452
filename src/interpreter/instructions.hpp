#pragma once
// The instruction set: the lowered form (names, constants, operators, calls, conditionals,
// loops, matches with their patterns, blocks, assignments, lambdas, collections, comprehensions,
// pipes, map and filter over user functions) as a flat array of register instructions that one
// dispatch loop runs (dispatch.cpp). Registers are slots of the running frame: a variable's own
// slot (or a global's) when an operand can be read in place, otherwise a temporary slot above
// the variables.
// What is not compiled (a sum over a range, assignments to anything but a name, code nested too
// deeply) is one Eval instruction that walks its lowered tree, so both ways
// of running share one meaning.
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "ast/ast.hpp"
#include "interpreter/stack_guard.hpp"

namespace ostrel::code {

struct Expr;
struct Stmt;

enum class Op : uint8_t {
  LoadNone,      // R[a] = None
  LoadConstant,  // R[a] = *p (a Value)
  Load,          // R[a] = the variable of Ref *p, or "undefined variable"
  LoadLocal,     // R[a] = R[b], the one slot of Ref *p, or "undefined variable"
  LoadGlobal,    // R[a] = global b, the one slot of Ref *p, or "undefined variable"
  Move,          // R[a] = the value taken out of operand b, the one slot of Ref *p, which is
                 // about to be replaced; or "undefined variable"
  Binary,        // R[a] = R[b] op R[c]; p and q: the Refs of operands read in place (or null)
  BinaryConstant,  // R[a] = R[b] op *q (a constant Value); p as for Binary
  Add,           // Binary and BinaryConstant of the most frequent operators, whose integer case
  AddConstant,   // needs no test of the operator
  Subtract,
  SubtractConstant,
  Unary,         // R[a] = op R[b]
  Index,         // R[a] = R[b][R[c]]; p and q as for Binary
  IndexConstant,  // R[a] = R[b][*q]; p as for Binary
  Member,        // R[a] = R[b].member, the member's name in *p (a String Value); q as p for Binary
  Call,          // R[a] = O(the c Arguments from q on), O operand b: a temporary, or the variable of
                 // the one-slot Ref *p read in place
  Length,        // when operand b is the builtin *p (len) and the value of the Argument *q has a
                 // length, R[a] = that length and the Call that follows is skipped; otherwise
                 // goes on to that Call
  Jump,          // to a
  JumpIfFalse,   // to a unless R[b] is true
  CompareJump,   // to a unless R[b] op R[c]; p and q as for Binary
  CompareConstantJump,  // to a unless R[b] op *q; p as for Binary
  LessJump,      // CompareJump and CompareConstantJump of <
  LessConstantJump,
  Eval,          // R[a] = the tree walk of *p (an Expr)
  Store,         // the slot *p (a Slot) = R[a]
  Assign,        // the variable of Ref *p = R[a]; R[b] = None
  AssignSum,     // the variable of Ref *p = R[a] + R[b], growing it in place; R[c] = None
  AssignAppend,  // the Assign *p `x = append(x, e)` with callee R[b] and arguments R[b+1], R[b+2];
                 // R[a] = None
  Compound,      // the CompoundAssign *p with current value R[a] and operand R[b]; R[c] = None
  Update,        // the variable read in place at b op= R[c], where it is held; p, q as for Binary; R[a] = None
  UpdateConstant,  // the variable read in place at b op= *q (a constant Value); p as for Binary; R[a] = None
  MakeFunction,  // R[a] = a function value of Closure *p
  Unbind,        // the ScopeSlots *p
  ForStart,      // starts walking the For *p's iterable
  ForNext,       // R[b] = the next element, or to a when there is none
  ForLoop,       // R[b] = the next element and to a, or on when there is none
  ForEnd,        // ends the innermost walk
  MapStart,      // when R[b] is the builtin *p (map or filter) and R[b+2] a list, starts walking
                 // it and jumps to a; otherwise goes on (to the plain call). c: whether the
                 // results are as many as the elements (map)
  MapRangeStart,  // when R[b] is the builtin map or filter and R[b+2] the builtin range of the
                 // Call::WalkedRange *p, starts walking the range of the c arguments from R[b+3] on
                 // and jumps to a; otherwise goes on (to the call of R[b+2])
  MapStep,       // takes the result R[a] of the call it made before, if any, into the innermost
                 // walk's results; then R[a] = R[b](the next element, put in R[a] for the
                 // Argument at *q), a user function's call coming back to this instruction, or,
                 // without a next element, R[b] = None and on to the next instruction
  FilterStep,    // the same, but takes the element that call was given when R[a] is true
  Collect,       // appends R[b] to the innermost walk's results; to a
  CollectEnd,    // R[a] = the list of the innermost walk's results; ends the walk
  ComprehensionStart,  // starts walking the Comprehension *p's iterable, to collect values
  MakeList,      // R[a] = a List of R[b], ..., R[b+c-1]
  MakeTuple,     // R[a] = a Tuple of R[b], ..., R[b+c-1]
  MakeDict,      // R[a] = a Dict of the c pairs of keys and values from R[b] on
  MatchKind,     // to a unless R[b] is of kind c (a Value::Kind)
  MatchLength,   // to a unless R[b] (a Tuple or List) has c elements
  MatchLengthAtLeast,  // to a unless R[b] (a Tuple or List) has c elements or more
  MatchConstant,  // to a unless R[b] equals *q (a Value)
  LoadElement,   // R[a] = element c of R[b], a Tuple or List
  LoadRest,      // R[a] = a List of the elements of R[b] (a List) from position c on
  Copy,          // R[a] = R[b]
  LeaveMatch,    // the chosen arm is done: unbinds the ScopeSlots *p and *q, and R[b] = None
  NoMatch,       // fails: no arm was chosen
  EndCopy,       // R[a] = R[b], then as End: a body that ends with a variable's value
  End,           // the result is R[a]
};

// An operand register with this bit set is a slot of the global table instead of the frame.
inline constexpr uint32_t kGlobalOperand = 0x80000000u;

// 32 bytes on 64-bit machines: the loop steps and jumps by shifts. A jump's target ("to a")
// counts from the jumping instruction, so that a call need not keep where its caller's code
// begins.
struct Instruction {
  Op op;
  ast::BinaryOperator binary{};  // Binary, CompareJump, Update and their other forms
  ast::UnaryOperator unary{};    // Unary
  uint32_t a = 0, b = 0, c = 0;
  const void* p = nullptr;
  const void* q = nullptr;
};
static_assert(sizeof(Instruction) == 16 + 2 * sizeof(void*));

// An argument of a call: a temporary the call takes over, a variable or a constant it copies
// where it is, or a variable it takes the value out of (Moved: one read for the last time, or
// one the call's result replaces, where nothing can tell the difference).
struct Argument {
  enum class From : uint8_t { Temporary, Variable, Constant, Moved };
  From from = From::Temporary;
  uint32_t operand = 0;          // Temporary: a register; Variable: an operand read in place
  const void* constant = nullptr;  // Constant: a Value
};

struct Chunk {
  std::vector<Instruction> code;
  // The argument lists of the calls in `code`, which point at their first elements: a deque
  // keeps every list where it is, and a list does not grow once its call is compiled.
  std::deque<std::vector<Argument>> arguments;
};

// Which variables the code may take a value out of instead of copying it, where it is read for
// the last time or about to be replaced: then a value held by nothing else can grow in place.
// A frame's slots from `first_local` on (a slot before is lent its value, see FunctionCode), and
// the globals when `globals` is set: in a run of one program, whose first error ends it, no one
// can see a global that was emptied while a call that replaces it runs. A session that goes on
// after an error (the REPL) needs every global as it was.
struct Moves {
  uint32_t first_local = 0;
  bool globals = false;
};

// Appends the instructions of an expression to `chunk`, ending with its value in register
// `first_temporary`, the first slot above the frame's variables. Returns the end of the slots
// its temporaries need. Where the stack runs low, the rest is left to the tree walk.
uint32_t compile_instructions(const Expr& expression, uint32_t first_temporary, const StackGuard& guard,
                              Chunk& chunk, Moves moves = {});
// The same for a top-level expression, declaration or function definition, whose value (None but
// for an expression) ends in `first_temporary`.
uint32_t compile_statement(const Stmt& statement, uint32_t first_temporary, const StackGuard& guard, Chunk& chunk,
                           Moves moves = {});

}  // namespace ostrel::code
