#pragma once
// The instruction set: the lowered form (names, constants, operators, calls, conditionals,
// loops, matches with their patterns, blocks, assignments, lambdas, collections, comprehensions,
// pipes, map and filter over user functions) as a flat array of register instructions that one
// dispatch loop runs (loop.cpp). Registers are slots of the running frame: a variable's own
// slot (or a global's) when an operand can be read in place, otherwise a temporary slot above
// the variables. The instructions themselves are listed once, in instructions.def.
// Every construct compiles; code nested too deeply to compile on the stack left is refused as
// lowering refuses it.
#include <cstddef>
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

// The forms of an instruction's operands (see instructions.def), as bits.
struct Form {
  enum : uint8_t { Plain = 0, Jumps = 1, Constant = 2, JumpsConstant = Jumps | Constant };
};

enum class Op : uint8_t {
#define INSTRUCTION(name, form) name,
#include "interpreter/instructions.def"
#undef INSTRUCTION
};

inline constexpr uint8_t kInstructionForms[] = {
#define INSTRUCTION(name, form) Form::form,
#include "interpreter/instructions.def"
#undef INSTRUCTION
};

inline constexpr const char* kInstructionNames[] = {
#define INSTRUCTION(name, form) #name,
#include "interpreter/instructions.def"
#undef INSTRUCTION
};

// Whether the instruction's `a` is where it may jump.
constexpr bool jumps(Op op) { return kInstructionForms[static_cast<size_t>(op)] & Form::Jumps; }
// Whether the instruction's right operand is a constant (*q) instead of a register.
constexpr bool has_constant_operand(Op op) { return kInstructionForms[static_cast<size_t>(op)] & Form::Constant; }
constexpr const char* name_of(Op op) { return kInstructionNames[static_cast<size_t>(op)]; }


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
// where it is, or a variable of the frame it takes the value out of (Moved: one read for the
// last time, or one the call's result replaces, where nothing can tell the difference). A
// register and a frame's variable are both slots of the frame: the call takes them alike.
struct Argument {
  enum class From : uint8_t { Temporary, Moved, Variable, Constant };
  From from = From::Temporary;
  uint32_t operand = 0;  // Temporary: a register; Moved: a frame slot; Variable: an operand read in place
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
// after an error (the REPL) needs every global as it was: there a global about to be replaced
// is loaned to the call or sum instead (see open_loan in value.hpp).
struct Moves {
  uint32_t first_local = 0;
  bool globals = false;
};

// Appends the instructions of an expression to `chunk`, ending with its value in register
// `first_temporary`, the first slot above the frame's variables. Returns the end of the slots
// its temporaries need, or nothing when the stack ran low before the expression was compiled.
std::optional<uint32_t> compile_instructions(const Expr& expression, uint32_t first_temporary,
                                             const StackGuard& guard, Chunk& chunk, Moves moves = {});
// The same for a top-level statement, whose value (None for a declaration or a definition) ends
// in `first_temporary`.
std::optional<uint32_t> compile_statement(const Stmt& statement, uint32_t first_temporary, const StackGuard& guard,
                                          Chunk& chunk, Moves moves = {});

// The instructions of a call of R[0] with the `count` arguments after it, ending with its value
// in R[0]: how a function is called from outside the dispatch loop.
void compile_call(uint32_t count, Chunk& chunk);

}  // namespace ostrel::code
