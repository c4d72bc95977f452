#pragma once
// The evaluator's core. A program goes from text to output in these steps:
//
//   syntax tree (ast/, from the parser)
//     -> lowering (lowering.cpp): one top-level statement at a time, into the lowered form of
//        code.hpp, with every name resolved to slots (see lowering.hpp for how)
//     -> instructions (instructions.hpp, compile_instructions.cpp): each function body and each
//        top-level expression, declaration and definition, as register instructions over its
//        frame's slots
//     -> dispatch (dispatch.cpp): one loop runs them, calls between functions included; what it
//        does not compile is one instruction that hands a lowered tree to the tree walk:
//        statements.cpp runs statements and programs, expressions.cpp the expressions that only
//        compute a value, control_flow.cpp conditionals, loops, matches and blocks,
//        assignments.cpp assignments, calls.cpp calls
//     -> output through the OutputSink that the Interpreter owns.
//
// Who owns what: the caller owns the syntax tree, which is only read; lowered statements live
// while they run; function values share their FunctionCode (lowered body and instructions) and
// own their captured values. The evaluator owns the global table (globals_) and one value stack
// (stack_) on which every call and every top-level statement gets a frame of slots at base_; a
// call puts its arguments straight into the callee's slots and allocates nothing else.
// Operators live in operators.cpp, builtins in builtins.cpp, patterns in patterns.cpp for the
// tree walk; compiled arms test theirs as instructions (compile_instructions.cpp).
//
// Errors: every evaluation returns true with its value in `out`, or false with the message in
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
#include "interpreter/patterns.hpp"
#include "interpreter/stack_guard.hpp"
#include "interpreter/symbols.hpp"
#include "interpreter/variables.hpp"
#include "support/result.hpp"

namespace ostrel {

class Frame;
struct FunctionObject;

inline constexpr const char* kNoMatchingArm = "no matching pattern in match expression";

// A walk over a list or range in the dispatch loop (a for loop, or map or filter calling a user
// function): its elements, their count, the next one's position and, for map and filter, the
// results so far.
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
  // `moves_globals`: see code::Moves.
  Evaluator(OutputSink& output, const std::vector<Module>& modules, bool moves_globals);
  Evaluator(const Evaluator&) = delete;
  Evaluator& operator=(const Evaluator&) = delete;

  Result<Value> run_program(const ast::Stmt& program);
  Result<Value> call_value(const Value& callee, const ValueList& arguments) override;
  OutputSink& output() override { return output_; }
  void for_each_binding(const std::function<void(std::string_view, const Value&)>& visit) const;

 private:
  enum class Flow : uint8_t { Normal, Return, Error };
  friend class Frame;

  // statements.cpp
  Result<Value> run_statements(const ast::Stmt& program);
  Flow execute(const code::Stmt& statement, Value& out);
  bool evaluate(const code::Expr& expression, Value& out);

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
  void unbind(const code::ScopeSlots& scope);

  // dispatch.cpp: the instructions of function bodies and top-level statements.
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
  bool start_range_walk(const code::Call::WalkedRange& walked, Value* arguments, uint32_t count);
  bool call_registers(const code::Instruction& in);
  // An instruction's operand: one of the `registers` of the running frame, or a global
  // (kGlobalOperand).
  Value& operand_in(uint32_t r, Value* registers) {
    return r & code::kGlobalOperand ? globals_[r & ~code::kGlobalOperand] : registers[r];
  }
  bool check_operands(const code::Instruction& in, const Value& left, const Value& right);
  bool arithmetic(const code::Instruction& in, ast::BinaryOperator op, Value& left, const Value& right, Value& out);
  bool general_arithmetic(const code::Instruction& in, Value& left, const Value& right, Value& out);
  bool compare(const code::Instruction& in, ast::BinaryOperator op, const Value& left, const Value& right,
               bool& holds);
  bool general_comparison(const code::Instruction& in, const Value& left, const Value& right, bool& holds);
  bool undefined(const code::Ref& ref);

  // expressions.cpp: values, names, collections, operators, indexing, member access.
  bool evaluate_name(const code::Ref& ref, Value& out);
  bool evaluate_elements(const code::Elements& node, Value& out);
  bool evaluate_dict(const code::DictLiteral& node, Value& out);
  bool evaluate_binary(const code::Binary& node, Value& out);
  // A constant or a bound name, read where it is held instead of copied; null for anything else.
  const Value* operand_in_place(const code::Expr& e) {
    if (e.kind == code::ExprKind::Constant) return &code::as<code::Constant>(e).value;
    if (e.kind == code::ExprKind::Name) return bound(code::as<code::Name>(e).ref);
    return nullptr;
  }
  bool evaluate_unary(const code::Unary& node, Value& out);
  bool evaluate_index(const code::Index& node, Value& out);
  bool index_value(const Value& target, const Value& index, Value& out);
  bool evaluate_member(const code::Member& node, Value& out);
  bool member_value(const Value& object, const Value& name, Value& out);
  bool evaluate_all(const std::vector<code::ExprPtr>& expressions, ValueList& out);

  // control_flow.cpp
  bool test(const code::Expr& condition, bool& truth);
  bool evaluate_if(const code::If& node, Value& out);
  bool evaluate_for(const code::For& node, Value& out);
  bool evaluate_while(const code::While& node, Value& out);
  bool evaluate_match(const code::Match& node, Value& out);
  bool enter_arm(const code::Pattern& pattern, const Value& scrutinee);
  bool comprehension_items(const code::Comprehension& node, Sequence& items, ValueList& results);
  bool evaluate_comprehension(const code::Comprehension& node, Value& out);
  bool evaluate_block(const code::Block& node, Value& out);

  // assignments.cpp
  bool evaluate_assign(const code::Assign& node, Value& out);
  bool evaluate_compound_assign(const code::CompoundAssign& node, Value& out);
  bool finish_compound(const code::CompoundAssign& node, Value current, const Value& operand, Value& out);
  bool update(ast::BinaryOperator op, Value& target, const Value& change);
  bool assign_sum(const code::Ref& target, Value current, const Value& addend, Value& out);
  bool assign_appended(const code::Assign& node, Value& out);
  bool append_into(const code::Ref& target, Value list, Value item);
  template <class Change>
  bool change_in_place(const code::Ref& target, Value& current, Change change);

  // calls.cpp
  bool evaluate_call(const code::Call& node, Value& out);
  bool evaluate_pipe(const code::Pipe& node, Value& out);
  bool call_walking_range(const Value& callee, const code::Call& node, Value& out);
  bool evaluate_sequence(const code::Expr& iterable, const Builtin* range, Sequence& out);
  bool call_with(const Value& callee, const std::vector<code::ExprPtr>& arguments, Value& out);
  bool call_function(const Value& callee, const std::vector<code::ExprPtr>& arguments, Value& out);
  bool apply(const Value& callee, const ValueList& arguments, Value& out);
  bool cannot_call(const Value& callee);
  void bind_self(const Value& callee, Frame& frame);
  bool run_body(const Value& callee, Frame& frame, Value& out);
  Value function_value(const code::Closure& closure);

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
  // The walks the dispatch loop is in (for loops, comprehensions, map and filter), innermost last.
  std::vector<Walk> walks_;
  std::vector<ActiveCall> calls_;  // the calls the dispatch loop is in, innermost last
  Bindings arm_bindings_;          // kept for the next match arm, which binds them at once
  std::string error_;
};

// A frame of slots on top of the value stack for as long as this lives.
// Going, it releases the slots and makes the frame that ran before it the running one again,
// on every way out (errors and running out of memory included).
class Frame {
 public:
  // The slots from `unbound_from` to `unbound_to` start unbound, the others None.
  Frame(Evaluator& evaluator, uint32_t size, uint32_t unbound_from, uint32_t unbound_to)
      : evaluator_(evaluator), start_(evaluator.stack_.top()), caller_base_(evaluator.base_) {
    evaluator.stack_.push(size, unbound_from, unbound_to);
  }
  ~Frame() {
    if (counted_) --evaluator_.call_depth_;
    evaluator_.base_ = caller_base_;
    evaluator_.stack_.pop_to(start_);
  }
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;

  Value& operator[](uint32_t slot) { return evaluator_.stack_[start_ + slot]; }
  // Makes this the running frame; a call's frame counts towards the nesting of calls.
  void enter(bool call) {
    evaluator_.base_ = start_;
    if (call) {
      ++evaluator_.call_depth_;
      counted_ = true;
    }
  }

 private:
  Evaluator& evaluator_;
  size_t start_;
  size_t caller_base_;
  bool counted_ = false;
};

}  // namespace ostrel
