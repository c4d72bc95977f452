#pragma once
// The instruction set: the lowered form (names, constants, operators, calls, conditionals,
// loops, matches with their patterns, blocks, assignments, lambdas, collections, comprehensions,
// pipes, map and filter over user functions) as a flat array of register instructions that one
// dispatch loop runs (dispatch.cpp). Registers are slots of the running frame: a variable's own
// slot (or a global's) when an operand can be read in place, otherwise a temporary slot above
// the variables.
// Every construct compiles; code nested too deeply to compile on the stack left is refused as
// lowering refuses it.
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
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
  Jump,          // to a
  JumpIfFalse,   // to a unless R[b] is true
  CompareJump,   // to a unless R[b] op R[c]; p and q as for Binary
  CompareConstantJump,  // to a unless R[b] op *q; p as for Binary
  LessJump,      // CompareJump and CompareConstantJump of <
  LessConstantJump,
  Store,         // the slot *p (a Slot) = R[a]
  Assign,        // the variable of Ref *p = R[a]; R[b] = None
  AssignSum,     // the variable of Ref *p = R[a] + R[b], growing it in place; R[c] = None
  AssignAppend,  // `x = append(x, e)`: when R[b] is the builtin append, the variable of Ref *p =
                 // R[b+1] with R[b+2] appended, R[c] = None and to a; otherwise goes on (to the call)
  Compound,      // the CompoundAssign *p with current value R[a] and operand R[b]; R[c] = None
  Update,        // the variable read in place at b op= R[c], where it is held; p, q as for Binary; R[a] = None
  UpdateConstant,  // the variable read in place at b op= *q (a constant Value); p as for Binary; R[a] = None
  MakeFunction,  // R[a] = a function value of Closure *p
  Unbind,        // the ScopeSlots *p
  ForStart,      // starts walking R[b], taken out of its register, or fails unless it is a list
  ForNext,       // R[b] = the next element, or to a when there is none
  ForLoop,       // R[b] = the next element and to a, or on when there is none
  ForEnd,        // ends the innermost walk
  MapStart,      // when R[b-1] is the builtin *p (map or filter) and R[b] a list, starts walking
                 // it and jumps to a; otherwise goes on (to the plain call). c: whether the
                 // results are as many as the elements (map)
  RangeStart,    // when R[b] is the builtin range and, for map, filter or sum, R[b-1] still that
                 // builtin (the WalkedRange *p), starts walking the range of the c arguments from
                 // R[b+1] on, marks R[b-1] unbound and jumps to a; otherwise goes on (to the call)
  SumEnd,        // when R[b] is marked unbound (see RangeStart), R[c] = the sum of the innermost
                 // walk, which ends, and to a; otherwise goes on (to the plain call of sum)
  MapStep,       // takes the result R[a] of the call it made before, if any, into the innermost
                 // walk's results; then R[a] = R[b](the next element, put in R[a] for the
                 // Argument at *q), a user function's call coming back to this instruction, or,
                 // without a next element, R[b] = None and on to the next instruction
  FilterStep,    // the same, but takes the element that call was given when R[a] is true
  Collect,       // appends R[b] to the innermost walk's results; to a
  CollectEnd,    // R[a] = the list of the innermost walk's results; ends the walk
  ComprehensionStart,  // as ForStart, to collect values; c: room for as many as the elements
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
  Fail,          // fails with the message *p (a char array): no match arm chosen, a bad target
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

// An argument of a call: a temporary the call takes over, or a variable or a constant it copies
// where it is.
struct Argument {
  enum class From : uint8_t { Temporary, Variable, Constant };
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

// Appends the instructions of an expression to `chunk`, ending with its value in register
// `first_temporary`, the first slot above the frame's variables. Returns the end of the slots
// its temporaries need, or nothing when the stack ran low before the expression was compiled.
std::optional<uint32_t> compile_instructions(const Expr& expression, uint32_t first_temporary,
                                             const StackGuard& guard, Chunk& chunk);
// The same for a top-level statement, whose value (None for a declaration or a definition) ends
// in `first_temporary`.
std::optional<uint32_t> compile_statement(const Stmt& statement, uint32_t first_temporary, const StackGuard& guard,
                                          Chunk& chunk);

// The instructions of a call of R[0] with the `count` arguments after it, ending with its value
// in R[0]: how a function is called from outside the dispatch loop.
void compile_call(uint32_t count, Chunk& chunk);

}  // namespace ostrel::code
