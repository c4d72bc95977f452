#pragma once
// The evaluator's core. A program goes from text to output in these steps:
//
//   syntax tree (ast/, from the parser)
//     -> lowering (lowering.cpp): one top-level statement at a time, into the lowered form of
//        code.hpp, with every name resolved to slots (see lowering.hpp for how)
//     -> instructions (instructions.def, instructions.hpp, compiler.cpp): each function body and
//        each top-level statement, as register instructions over its frame's slots
//     -> the loop (loop.cpp): one dispatch loop runs them, calls between functions included;
//        interpreter.cpp is its front, where programs and calls from outside come in
//     -> output through the OutputSink that the Interpreter owns.
//
// Who owns what: the caller owns the syntax tree, which is only read; lowered statements live
// while they run; function values share their FunctionCode (lowered body and instructions) and
// own their captured values. The evaluator owns the global table (globals_) and one value stack
// (stack_) on which every call and every top-level statement gets a frame of slots at base_; a
// call puts its arguments straight into the callee's slots and allocates nothing else.
// Values live in value.cpp, what operators, indexing and member access compute in
// operators.cpp, builtins in builtins.cpp.
//
// Errors: every operation returns true with its value in `out`, or false with the message in
// error_ (set by fail); results of builtins and operators are taken in by take(). Results are
// wrapped into Result only at the public edges. Running out of memory throws std::bad_alloc,
// which the edges turn into the "out of memory" error; frames are released on the way out.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ast/ast.hpp"
#include "interpreter/builtins.hpp"
#include "interpreter/code.hpp"
#include "interpreter/output_sink.hpp"
#include "interpreter/stack_guard.hpp"
#include "interpreter/symbols.hpp"
#include "interpreter/variables.hpp"
#include "support/result.hpp"

namespace ostrel {

struct FunctionObject;

// A walk over a list or range in the dispatch loop (a for loop, a comprehension, map or filter
// calling a user function, sum): its elements, their count, the next one's position and, for
// comprehensions, map and filter, the results so far.
struct Walk {
  Sequence items;
  uint64_t count = 0;
  uint64_t next = 0;
  ValueList results;
};

// A call the dispatch loop is in: where the caller goes on, into which of its registers the
// result goes, the caller's frame (the callee's is the running one), and whether the callee's
// first slot is lent the function (see FunctionCode::self_borrowed).
struct ActiveCall {
  ActiveCall() {}  // the others left unset: every call writes them, and zeroing them first costs
  const code::Instruction* resume;
  const void* resume_label;  // the dispatch loop's label of *resume, ready before the return
  uint32_t result;
  bool walk = false;  // made by map or filter for each element: resume is their step
  bool self_borrowed;
  size_t base;
};

class Evaluator final : public Caller {
 public:
  // interpreter.cpp, the front: programs, and calls from outside the loop. `moves_globals`: see
  // code::Moves.
  Evaluator(OutputSink& output, const std::vector<Module>& modules, bool moves_globals);
  Evaluator(const Evaluator&) = delete;
  Evaluator& operator=(const Evaluator&) = delete;

  Result<Value> run_program(const ast::Stmt& program);
  Result<Value> call_value(const Value& callee, const ValueList& arguments) override;
  OutputSink& output() override { return output_; }
  void for_each_binding(const std::function<void(std::string_view, const Value&)>& visit) const;

 private:
  // interpreter.cpp
  Result<Value> run_statements(const ast::Stmt& program);
  bool call(const Value& callee, ValueSpan arguments, Value& out);

  // Variables. Slot references stay valid only until the stack grows (the next call).
  Value& slot(code::Slot slot) { return slot.global ? globals_[slot.index] : stack_[base_ + slot.index]; }
  Value& local(uint32_t slot) { return stack_[base_ + slot]; }
  // The variable a name stands for now: its first bound slot, or null.
  Value* bound(const code::Ref& ref) {
    for (code::Slot candidate : ref.slots) {
      Value& value = slot(candidate);
      if (is_bound(value)) return &value;
    }
    return nullptr;
  }
  // The nearest bound slot, or the innermost scope's; a name with one slot is that slot.
  void assign(const code::Ref& ref, Value value) {
    Value* target = ref.slots.size() == 1 ? nullptr : bound(ref);
    if (!target) target = &slot(ref.slots.front());
    *target = std::move(value);
  }

  // loop.cpp: the dispatch loop, which runs the instructions of every top-level statement and
  // function body, the calls and walks it makes, and the values it makes.
  bool run(const code::Chunk& chunk, Value& out);
  bool dispatch(const code::Chunk& chunk, Value& out);
  void unwind(size_t calls, size_t walks);
  void release_frame(const ActiveCall& call);
  Value argument(const code::Argument& argument, Value* registers);
  void bind_arguments(const std::vector<uint32_t>& params, const code::Argument* given, uint32_t count,
                      Value* registers, Value* frame);
  void fill_frame(const FunctionObject& function, const code::FunctionCode& body, const code::Instruction& in,
                  Value* registers, Value* frame);
  bool enter_call(const code::Instruction& in, const code::Instruction*& ip, const void* resume_label,
                  Value*& registers);
  const void* leave_call(Value& result_register, const code::Instruction*& ip, Value*& registers);
  void take_step_result(code::Op step, Walk& walk, Value& result);
  const code::Instruction* call_next_element(Value& result_register);
  bool start_walk(Sequence items, bool collects);
  bool call_registers(const code::Instruction& in);
  // An instruction's operand: one of the `registers` of the running frame, or a global
  // (kGlobalOperand).
  Value& operand_in(uint32_t r, Value* registers) {
    return r & code::kGlobalOperand ? globals_[r & ~code::kGlobalOperand] : registers[r];
  }
  // The value of a call's argument where it is, not taken.
  const Value& argument_in(const code::Argument& argument, Value* registers) {
    return argument.from == code::Argument::From::Constant ? *static_cast<const Value*>(argument.constant)
                                                           : operand_in(argument.operand, registers);
  }
  bool check_operands(const code::Instruction& in, const Value& left, const Value& right);
  bool arithmetic(const code::Instruction& in, ast::BinaryOperator op, Value& left, const Value& right, Value& out);
  bool general_arithmetic(const code::Instruction& in, Value& left, const Value& right, Value& out);
  bool compare(const code::Instruction& in, ast::BinaryOperator op, const Value& left, const Value& right,
               bool& holds);
  bool general_comparison(const code::Instruction& in, const Value& left, const Value& right, bool& holds);
  bool undefined(const code::Ref& ref);
  bool member_failure(const code::Instruction& in, const Value& object);
  void unbind(const code::ScopeSlots& scope);
  bool cannot_call(const Value& callee);
  Value function_value(const code::Closure& closure);

  // assignments.cpp: the loop's assignments that grow a variable's value where it is held.
  bool finish_compound(const code::CompoundAssign& node, Value current, const Value& operand, Value& out);
  bool update(ast::BinaryOperator op, Value& target, const Value& change);
  bool assign_sum(const code::Ref& target, Value current, const Value& addend, Value& out);
  bool append_into(const code::Ref& target, Value list, Value item);
  template <class Change>
  bool change_in_place(const code::Ref& target, Value& current, Change change);

  bool fail(std::string message) {
    error_ = std::move(message);
    return false;
  }
  bool take(Result<Value>&& result, Value& out) {
    if (!result) return fail(std::move(result).take_error().message);
    out = std::move(result).value();
    return true;
  }

  SymbolTable symbols_;
  Globals globals_;
  ValueStack stack_;          // the frames of the running calls and top-level statement
  size_t base_ = 0;           // where the running frame starts
  OutputSink& output_;
  StackGuard stack_guard_;
  bool moves_globals_;
  size_t call_depth_ = 0;
  // The walks the dispatch loop is in (loops, comprehensions, map, filter, sum), innermost last.
  std::vector<Walk> walks_;
  std::vector<ActiveCall> calls_;  // the calls the dispatch loop is in, innermost last
  // By argument count: the instructions of a call from outside the loop (see call).
  std::vector<std::unique_ptr<code::Chunk>> call_chunks_;
  std::string error_;
};

}  // namespace ostrel
