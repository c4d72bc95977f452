// The dispatch loop: runs a chunk of instructions (instructions.hpp) in the running frame,
// jumping from one instruction's code to the next through a table of labels (computed goto).
// Anything that may call (calls of builtins, which may call back) can move the value stack, so
// the register base is fetched again after it.
#include <fmt/format.h>

#include "interpreter/builtins.hpp"
#include "interpreter/evaluator.hpp"
#include "interpreter/function.hpp"
#include "interpreter/limits.hpp"
#include "interpreter/operators.hpp"
#include "interpreter/truth.hpp"

namespace ostrel {
namespace {

using code::Instruction;
using code::Op;
using K = Value::Kind;

template <class T>
const T& operand(const void* p) {
  return *static_cast<const T*>(p);
}

// Texts compared and truths combined, as loops over characters do: nothing can fail, and the
// operands are bound. False for anything else. Kept apart from general_arithmetic, whose
// frame is larger than the work here.
inline bool text_or_truth_operation(ast::BinaryOperator op, const Value& left, const Value& right, Value& out) {
  using Operator = ast::BinaryOperator;
  if (left.is(K::String) && right.is(K::String) && is_comparison(op)) {
    out.set_bool(text_comparison(op, left, right));
    return true;
  }
  if (left.is(K::Bool) && right.is(K::Bool) && (op == Operator::And || op == Operator::Or)) {
    out.set_bool(op == Operator::And ? left.as_bool() && right.as_bool() : left.as_bool() || right.as_bool());
    return true;
  }
  return false;
}

}  // namespace

bool Evaluator::undefined(const code::Ref& ref) {
  return fail(fmt::format("undefined variable: {}", symbols_.name(ref.name)));
}

// An operand read in place is a variable's own slot, which may be unbound.
bool Evaluator::check_operands(const Instruction& in, const Value& left, const Value& right) {
  if (in.p && !is_bound(left)) return undefined(operand<code::Ref>(in.p));
  if (in.q && !code::has_constant_operand(in.op) && !is_bound(right)) return undefined(operand<code::Ref>(in.q));
  return true;
}

// The operator `op` of an instruction (Binary, BinaryConstant, Add...) into `out`, which may hold
// the left operand. Integers are computed where the loop runs; anything else goes the general
// way. The specialised instructions give `op` as a constant, which leaves only its own case.
__attribute__((always_inline)) inline bool Evaluator::arithmetic(const Instruction& in, ast::BinaryOperator op,
                                                                 Value& left, const Value& right, Value& out) {
  if (left.is(K::Int) && right.is(K::Int) && integer_operation(op, left.as_int(), right.as_int(), out))
    return true;
  if (text_or_truth_operation(op, left, right, out)) return true;
  return general_arithmetic(in, left, right, out);
}

__attribute__((noinline)) bool Evaluator::general_arithmetic(const Instruction& in, Value& left, const Value& right,
                                                             Value& out) {
  // Two strings or two lists (a key built of pieces) grow without a Result in between. A left
  // operand in a temporary is ours to grow; one read in place belongs to a variable.
  if (in.binary == ast::BinaryOperator::Add && addition_growth(left, right) == Growth::Grows) {
    Value grown = in.p ? left : std::move(left);
    concatenate(grown, right);
    out = std::move(grown);
    return true;
  }
  // Nothing else grows: numbers, and the errors.
  return check_operands(in, left, right) && take(binary_operation(in.binary, left, right), out);
}

// Whether the comparison `op` of an instruction (CompareJump, CompareConstantJump, LessJump...)
// holds; `op` as for arithmetic.
__attribute__((always_inline)) inline bool Evaluator::compare(const Instruction& in, ast::BinaryOperator op,
                                                              const Value& left, const Value& right, bool& holds) {
  if (left.is(K::Int) && right.is(K::Int)) {
    holds = integer_comparison(op, left.as_int(), right.as_int());
    return true;
  }
  if (left.is(K::String) && right.is(K::String)) {
    // Text against text, often a character against a constant: nothing can fail.
    holds = text_comparison(op, left, right);
    return true;
  }
  return general_comparison(in, left, right, holds);
}

__attribute__((noinline)) bool Evaluator::general_comparison(const Instruction& in, const Value& left,
                                                             const Value& right, bool& holds) {
  Value truth;
  if (!check_operands(in, left, right) || !take(binary_operation(in.binary, left, right), truth)) return false;
  holds = is_true(truth);
  return true;
}

// A member access the dispatch loop found nothing for, which fails: the object is unbound, or
// no dictionary, or holds no such member.
__attribute__((noinline)) bool Evaluator::member_failure(const Instruction& in, const Value& object) {
  if (in.q && !is_bound(object)) return undefined(operand<code::Ref>(in.q));
  return fail(member_value(object, operand<Value>(in.p)).error());
}

// Calls between functions run inside one loop: a call saves where the caller was and jumps to
// the callee's instructions, End jumps back. A failure (or running out of memory) unwinds the
// calls this loop made, so that the loop that ran it finds its frame and walks as they were.
bool Evaluator::run(const code::Chunk& chunk, Value& out) {
  if (stack_guard_.exhausted()) return fail(kTooDeep);
  size_t calls = calls_.size();
  size_t walks = walks_.size();
  try {
    if (dispatch(chunk, out)) return true;
  } catch (...) {
    unwind(calls, walks);
    throw;
  }
  unwind(calls, walks);
  return false;
}

// The running frame is the innermost call's: walked frames are released before this runs.
void Evaluator::unwind(size_t calls, size_t walks) {
  while (calls_.size() > calls) {
    release_frame(calls_.back());
    base_ = calls_.back().base;
    --call_depth_;
    calls_.pop_back();
  }
  walks_.resize(walks);
}

// The running frame of a call the dispatch loop made, which goes.
inline void Evaluator::release_frame(const ActiveCall& call) {
  stack_.pop_to(base_, call.self_borrowed);
}

// An argument of a call, taken out of its temporary or copied from where it is held.
inline Value Evaluator::argument(const code::Argument& argument, Value* R) {
  using From = code::Argument::From;
  if (argument.from <= From::Moved) return std::move(R[argument.operand]);
  if (argument.from == From::Constant) return operand<Value>(argument.constant);
  return operand_in(argument.operand, R);
}

// Parameters in any order, a name given twice included (the later argument wins); missing
// arguments are None. Kept apart from the dispatch loop, which runs the common case.
__attribute__((noinline)) void Evaluator::bind_arguments(const std::vector<uint32_t>& params,
                                                         const code::Argument* given, uint32_t count, Value* R,
                                                         Value* F) {
  for (size_t i = 0; i < params.size(); ++i) F[params[i]] = i < count ? argument(given[i], R) : Value();
}

// A user function's frame, just pushed: its own name, then the arguments of the call `in`
// (extra ones are dropped), then its captures. The slots own nothing yet: they are filled
// without releasing what they held.
__attribute__((always_inline)) inline void Evaluator::fill_frame(const FunctionObject& function,
                                                                 const code::FunctionCode& body,
                                                                 const Instruction& in, Value* R, Value* F) {
  using Entry = code::FunctionCode::Entry;
  const auto* given = static_cast<const code::Argument*>(in.q);
  if (body.entry != Entry::General) {
    Value* first = F + body.bound_on_entry - body.param_count;
    for (uint32_t i = 0, n = std::min(in.c, body.param_count); i < n; ++i) fill(first[i], argument(given[i], R));
    if (body.entry == Entry::Block) return;
  } else {
    if (body.self_slot && !body.self_borrowed) fill(F[*body.self_slot], Value(operand_in(in.b, R)));
    bind_arguments(body.param_slots, given, in.c, R, F);
  }
  const std::vector<uint32_t>& captured = body.capture_slots;
  for (size_t i = 0; i < captured.size(); ++i) fill(F[captured[i]], Value(function.captures[i]));
}

// A call of a user function from the dispatch loop; the loop goes on in the callee's
// instructions. The function stays where the caller holds it, which keeps it alive while it
// runs: a temporary of the caller's frame, or a variable the callee cannot assign (a function
// assigns only its own frame's slots).
__attribute__((always_inline)) inline bool Evaluator::enter_call(const Instruction& in, const Instruction*& ip,
                                                                 const void* resume_label, Value*& R) {
  if (call_depth_ >= kMaxCallDepth) return fail(kTooDeep);
  const FunctionObject& function = function_of(operand_in(in.b, R));
  const code::FunctionCode& body = *function.code;
  size_t frame = stack_.top();
  stack_.push(body.frame_size, body.bound_on_entry, body.variables);
  R = &stack_[base_];
  Value* F = &stack_[frame];
  fill_frame(function, body, in, R, F);
  // Field by field: a whole ActiveCall built aside and copied in is read back before its parts
  // are written, which stalls the processor on every call.
  ActiveCall& call = calls_.emplace_back();
  call.resume = ip;
  call.resume_label = resume_label;
  call.result = in.a;
  call.self_borrowed = body.self_borrowed;
  call.base = base_;
  // Lent last, once nothing can throw: a frame left without its call is released as usual.
  if (body.self_borrowed) lend(F[*body.self_slot], operand_in(in.b, R));
  ++call_depth_;
  base_ = frame;
  R = F;
  ip = body.instructions.code.data();
  return true;
}

// The end of a call made by the dispatch loop: the result goes into the caller's register.
__attribute__((always_inline)) inline const void* Evaluator::leave_call(Value& result_register,
                                                                        const Instruction*& ip, Value*& R) {
  const ActiveCall& call = calls_.back();
  R = &stack_[call.base];
  R[call.result] = std::move(result_register);
  release_frame(call);
  base_ = call.base;
  ip = call.resume;
  const void* label = call.resume_label;
  --call_depth_;
  calls_.pop_back();
  return label;
}

bool Evaluator::dispatch(const code::Chunk& chunk, Value& out) {
  // One label per instruction, in the order of Op.
  static const void* const labels[] = {
#define INSTRUCTION(name, form) &&name,
#include "interpreter/instructions.def"
#undef INSTRUCTION
  };
  const size_t entry_calls = calls_.size();
  const Instruction* ip = chunk.code.data();
  const Instruction* in = ip;
  Value* R = &stack_[base_];
#define LABEL(at) labels[static_cast<int>((at)->op)]
#define NEXT()       \
  do {               \
    in = ip++;       \
    goto* LABEL(in); \
  } while (false)
#define REFETCH() (R = &stack_[base_])
  // Jump targets are relative to the jumping instruction: a call need not remember where its
  // caller's code begins.
#define JUMP() (ip = in + static_cast<int32_t>(in->a))
  // An operand read in place: a frame slot or a global.
  auto in_place = [&](uint32_t r) -> Value& { return operand_in(r, R); };
  using Operator = ast::BinaryOperator;
// An instruction whose code holds values of its own closes their block before NEXT(), so that
// they are destroyed: a computed goto leaves a scope without running destructors.

  NEXT();

LoadNone:
  R[in->a] = Value();
  NEXT();
LoadConstant:
  R[in->a] = operand<Value>(in->p);
  NEXT();
Load: {
  const Value* value = bound(operand<code::Ref>(in->p));
  if (!value) return undefined(operand<code::Ref>(in->p));
  R[in->a] = *value;
  NEXT();
}
LoadLocal:
  if (!is_bound(R[in->b])) return undefined(operand<code::Ref>(in->p));
  R[in->a] = R[in->b];
  NEXT();
LoadGlobal: {
  const Value& value = globals_[in->b];
  if (!is_bound(value)) return undefined(operand<code::Ref>(in->p));
  R[in->a] = value;
}
  NEXT();
Move: {
  Value& variable = in_place(in->b);
  if (!is_bound(variable)) return undefined(operand<code::Ref>(in->p));
  R[in->a] = std::move(variable);
}
  NEXT();
Loan: {
  const Value& variable = in_place(in->b);
  if (!is_bound(variable)) return undefined(operand<code::Ref>(in->p));
  R[in->a] = variable;
  open_loan(variable);
}
  NEXT();
#define ARITHMETIC(OPERATOR, RIGHT)                                                  \
  do {                                                                               \
    if (!arithmetic(*in, OPERATOR, in_place(in->b), RIGHT, R[in->a])) return false; \
    NEXT();                                                                          \
  } while (false)
#define REGISTER in_place(in->c)
#define CONSTANT operand<Value>(in->q)
Binary:
  ARITHMETIC(in->binary, REGISTER);
BinaryConstant:
  ARITHMETIC(in->binary, CONSTANT);
Add:
  ARITHMETIC(Operator::Add, REGISTER);
AddConstant:
  ARITHMETIC(Operator::Add, CONSTANT);
Subtract:
  ARITHMETIC(Operator::Sub, REGISTER);
SubtractConstant:
  ARITHMETIC(Operator::Sub, CONSTANT);
Unary:
  if (!take(unary_operation(in->unary, R[in->b]), R[in->a])) return false;
  NEXT();
Index:
IndexConstant: {
  const Value& target = in_place(in->b);
  const Value& index = in->op == Op::Index ? in_place(in->c) : operand<Value>(in->q);
  // The most frequent indexing skips the general path, which finds the errors: a list or a text
  // read by a position inside it, a dictionary by a key it holds.
  if (index.is(K::Int) && index.as_int() >= 0) {
    if (target.is(K::List) && static_cast<uint64_t>(index.as_int()) < target.as_list().size()) {
      R[in->a] = target.as_list()[index.as_int()];
      NEXT();  // nothing of this block's own is alive yet
    }
    if (target.is(K::String) && target.character_into(index.as_int(), R[in->a])) NEXT();
  }
  if (target.is(K::Dict)) {
    if (const Value* value = target.find(index)) {
      R[in->a] = *value;
      NEXT();
    }
  }
  Value result;
  if (!check_operands(*in, target, index) || !take(index_value(target, index), result)) return false;
  R[in->a] = std::move(result);
}
  NEXT();
Member: {
  // A member the dictionary holds is read here; an unbound object is no dictionary.
  const Value& object = in_place(in->b);
  if (object.is(K::Dict)) {
    if (const Value* value = object.find(operand<Value>(in->p))) {
      R[in->a] = *value;
      NEXT();
    }
  }
  return member_failure(*in, object);
}
Call:
  if (in_place(in->b).is(K::Function)) {
    if (!enter_call(*in, ip, LABEL(ip), R)) return false;
  } else {
    if (!is_bound(in_place(in->b))) return undefined(operand<code::Ref>(in->p));
    if (!call_registers(*in)) return false;
    REFETCH();
  }
  NEXT();
Length: {
  const auto& given = operand<code::Argument>(in->q);
  int64_t count;
  if (is_builtin(in_place(in->b), BuiltinKind::Length) && length_of(argument_in(given, R), count)) {
    // A temporary or moved argument is the call's: let go of it, as the call would have.
    if (given.from <= code::Argument::From::Moved) R[given.operand].reset();
    R[in->a].set_int(count);
    ++ip;
  }
  NEXT();
}
Text: {
  const auto& given = operand<code::Argument>(in->q);
  const Value& value = argument_in(given, R);
  if (is_builtin(in_place(in->b), BuiltinKind::Text) && value.is(K::Int)) {
    int64_t number = value.as_int();
    if (given.from <= code::Argument::From::Moved) R[given.operand].reset();  // as for Length
    R[in->a] = Value::decimal(number);
    ++ip;
  }
  NEXT();
}
Jump:
  JUMP();
  NEXT();
JumpIfFalse:
  if (!is_true(R[in->b])) JUMP();
  NEXT();
#define COMPARE_JUMP(OPERATOR, RIGHT)                                         \
  do {                                                                        \
    bool holds;                                                               \
    if (!compare(*in, OPERATOR, in_place(in->b), RIGHT, holds)) return false; \
    if (!holds) JUMP();                                                       \
    NEXT();                                                                   \
  } while (false)
CompareJump:
  COMPARE_JUMP(in->binary, REGISTER);
CompareConstantJump:
  COMPARE_JUMP(in->binary, CONSTANT);
LessJump:
  COMPARE_JUMP(Operator::Lt, REGISTER);
LessConstantJump:
  COMPARE_JUMP(Operator::Lt, CONSTANT);
Store:
  slot(operand<code::Slot>(in->p)) = std::move(R[in->a]);
  NEXT();
AssignLoaned:
  close_loan();
  // and assigns as Assign does
Assign:
  assign(operand<code::Ref>(in->p), std::move(R[in->a]));
  R[in->b] = Value();
  NEXT();
AssignSum: {
  Value& current = R[in->a];
  Value& addend = R[in->b];
  if (current.is(K::Int) && addend.is(K::Int)) {  // counters: increments by a constant and the like
    assign(operand<code::Ref>(in->p), Value::integer(wrapping_add(current.as_int(), addend.as_int())));
  } else {
    Value ignored;
    if (!assign_sum(operand<code::Ref>(in->p), std::move(current), addend, ignored)) return false;
  }
  R[in->c] = Value();
  NEXT();
}
AssignAppend: {
  Value* given = &R[in->b];  // the callee and the two arguments
  if (is_builtin(given[0], BuiltinKind::Append)) {
    if (!append_into(operand<code::Ref>(in->p), std::move(given[1]), std::move(given[2]))) return false;
    R[in->c] = Value();
    JUMP();
  }
  NEXT();
}
Compound: {
  const auto& node = operand<code::CompoundAssign>(in->p);
  Value& current = R[in->a];
  Value& change = R[in->b];
  // `i += 1` and the like: integers that cannot fail go straight into the variable.
  Value result;
  if (node.target && current.is(K::Int) && change.is(K::Int) &&
      integer_operation(node.op, current.as_int(), change.as_int(), result)) {
    assign(*node.target, std::move(result));
  } else {
    Value ignored;
    if (!finish_compound(node, std::move(current), change, ignored)) return false;
  }
  R[in->c] = Value();
}
  NEXT();
Update:
UpdateConstant: {
  Value& target = in_place(in->b);
  const Value& change = in->op == Op::Update ? in_place(in->c) : operand<Value>(in->q);
  if (!target.is(K::Int) || !change.is(K::Int) ||
      !integer_operation(in->binary, target.as_int(), change.as_int(), target)) {
    if (!check_operands(*in, target, change) || !update(in->binary, target, change)) return false;
  }
  R[in->a] = Value();
}
  NEXT();
MakeFunction:
  R[in->a] = function_value(operand<code::Closure>(in->p));
  NEXT();
Unbind:
  unbind(operand<code::ScopeSlots>(in->p));
  NEXT();
ForStart:
  if (!R[in->b].is(K::List)) return fail("for loop requires iterable (list)");
  if (!start_walk(Sequence(std::move(R[in->b])), false)) return false;
  NEXT();
ForNext: {
  Walk& walk = walks_.back();
  if (walk.next == walk.count) JUMP();
  else R[in->b] = walk.items.at(walk.next++);
  NEXT();
}
ForLoop: {
  Walk& walk = walks_.back();
  if (walk.next != walk.count) {
    R[in->b] = walk.items.at(walk.next++);
    JUMP();
  }
  NEXT();
}
ForEnd:
  walks_.pop_back();
  NEXT();
MapStart:
  if (is_builtin(R[in->b - 1], in->c ? BuiltinKind::Map : BuiltinKind::Filter) && R[in->b].is(K::List)) {
    if (!start_walk(Sequence(std::move(R[in->b])), in->c)) return false;
    JUMP();
  }
  NEXT();
RangeStart: {
  const auto& walked = operand<code::WalkedRange>(in->p);
  bool walker_stands = walked.walker == BuiltinKind::Plain || is_builtin(R[in->b - 1], walked.walker);
  if (is_builtin(R[in->b], BuiltinKind::Range) && walker_stands) {
    Result<IntRange> range = range_of(ValueSpan(R + in->b + 1, in->c));
    if (!range) return fail(range.error());
    if (!start_walk(Sequence(*range), walked.collects)) return false;
    if (walked.walker != BuiltinKind::Plain) R[in->b - 1] = unbound();
    JUMP();
  }
  NEXT();
}
SumEnd:
  if (!is_bound(R[in->b])) {
    if (!take(sum_over(walks_.back().items), R[in->c])) return false;
    walks_.pop_back();
    JUMP();
  }
  NEXT();
MapStep:
FilterStep: {
  Walk& walk = walks_.back();
  if (walk.next > 0) take_step_result(in->op, walk, R[in->a]);
  if (walk.next == walk.count) {
    R[in->b] = Value();
  } else {
    R[in->a] = walk.items.at(walk.next++);
    --ip;  // the call comes back here
    if (R[in->b].is(K::Function)) {
      if (!enter_call(*in, ip, LABEL(ip), R)) return false;
      calls_.back().walk = true;
    } else {
      if (!call_registers(*in)) return false;
      REFETCH();
    }
  }
  NEXT();
}
Collect:
  walks_.back().results.push_back(std::move(R[in->b]));
  JUMP();
  NEXT();
CollectEnd: {
  Value list = Value::list(std::move(walks_.back().results));
  walks_.pop_back();
  R[in->a] = std::move(list);
}
  NEXT();
ComprehensionStart:
  if (!R[in->b].is(K::List)) return fail("list comprehension requires iterable");
  if (!start_walk(Sequence(std::move(R[in->b])), in->c)) return false;
  NEXT();
MakeList:
MakeTuple: {
  ValueList items;
  items.reserve(in->c);
  for (uint32_t i = 0; i < in->c; ++i) items.push_back(std::move(R[in->b + i]));
  R[in->a] = in->op == Op::MakeList ? Value::list(std::move(items)) : Value::tuple(std::move(items));
}
  NEXT();
MakeDict: {
  ValuePairs pairs;
  pairs.reserve(in->c);
  for (uint32_t i = 0; i < in->c; ++i) pairs.emplace_back(std::move(R[in->b + 2 * i]), std::move(R[in->b + 2 * i + 1]));
  R[in->a] = Value::dict(std::move(pairs));
}
  NEXT();
MatchKind:
  if (R[in->b].kind() != static_cast<K>(in->c)) JUMP();
  NEXT();
MatchLength:
  if (R[in->b].as_list().size() != in->c) JUMP();
  NEXT();
MatchLengthAtLeast:
  if (R[in->b].as_list().size() < in->c) JUMP();
  NEXT();
MatchConstant: {
  const Value& value = R[in->b];
  const Value& literal = operand<Value>(in->q);
  bool equal = value.is(K::Int) && literal.is(K::Int) ? value.as_int() == literal.as_int() : literal.equals(value);
  if (!equal) JUMP();
  NEXT();
}
LoadElement:
  R[in->a] = R[in->b].as_list()[in->c];
  NEXT();
LoadRest:
  R[in->a] = R[in->b].tail(in->c);
  NEXT();
Copy:
  R[in->a] = R[in->b];
  NEXT();
LeaveMatch:
  unbind(operand<code::ScopeSlots>(in->p));
  unbind(operand<code::ScopeSlots>(in->q));
  R[in->b] = Value();
  NEXT();
Fail:
  return fail(static_cast<const char*>(in->p));
EndCopy:
  R[in->a] = R[in->b];
  // and ends as End does
End:
  if (calls_.size() == entry_calls) {
    out = std::move(R[in->a]);
    return true;
  }
  if (calls_.back().walk) {
    if (const Instruction* start = call_next_element(R[in->a])) {
      REFETCH();
      ip = start;
      NEXT();
    }
  }
  {
    // The caller's label was looked up when it called: where the loop goes on is known without
    // reading the instruction first, which matters when the processor guessed it wrong.
    const void* label = leave_call(R[in->a], ip, R);
    in = ip++;
    goto* label;
  }
#undef NEXT
#undef LABEL
#undef REFETCH
#undef JUMP
#undef ARITHMETIC
#undef COMPARE_JUMP
#undef REGISTER
#undef CONSTANT
}

// What the call of map's or filter's function on the walk's latest element gave. Out of line:
// inlined into the dispatch loop it crowds the registers of every other instruction (fib's call
// path took 14 instructions more per call).
__attribute__((noinline)) void Evaluator::take_step_result(Op step, Walk& walk, Value& result) {
  BuiltinKind walker = step == Op::MapStep ? BuiltinKind::Map : BuiltinKind::Filter;
  keep_result(walker, walk.items, walk.next - 1, std::move(result), walk.results);
}

// The end of a call map or filter made on an element, when another follows: the same call goes
// on with the next element in a frame opened again in place, as the step would open it, without
// leaving and entering. The depth is the same as the first element's call had. Returns where the
// body begins, or null after the last element, whose call leaves as any other.
__attribute__((noinline)) const Instruction* Evaluator::call_next_element(Value& result_register) {
  Walk& walk = walks_.back();
  if (walk.next == walk.count) return nullptr;
  const ActiveCall& call = calls_.back();
  const Instruction& step = *call.resume;
  take_step_result(step.op, walk, result_register);
  Value* R = &stack_[call.base];
  R[step.a] = walk.items.at(walk.next++);
  const FunctionObject& function = function_of(operand_in(step.b, R));
  const code::FunctionCode& body = *function.code;
  // The same size at the same place: the stack does not move.
  release_frame(call);
  stack_.push(body.frame_size, body.bound_on_entry, body.variables);
  Value* F = &stack_[base_];
  fill_frame(function, body, step, R, F);
  if (body.self_borrowed) lend(F[*body.self_slot], operand_in(step.b, R));
  return body.instructions.code.data();
}

// The innermost walk from now on; with room for one result per element when it `collects`.
bool Evaluator::start_walk(Sequence items, bool collects) {
  ValueList results;
  if (collects) {
    Result<ValueList> room = room_for_results(items);
    if (!room) return fail(room.error());
    results = std::move(room).value();
  }
  uint64_t count = items.size();
  walks_.push_back({std::move(items), count, 0, std::move(results)});
  return true;
}

// A call of anything but a user function: builtins and library members, called through their
// table entry, or the error for a value that cannot be called. The arguments are gathered on
// the C++ stack, so a call allocates nothing unless it has more than two (most take one or two),
// and a call made while this one runs (a map's function calling len) has arguments of its own.
// The result goes into register `in.a` of the frame the call was made from.
bool Evaluator::call_registers(const Instruction& in) {
  Value* R = &stack_[base_];
  const Value& callee = operand_in(in.b, R);
  if (!callee.is(Value::Kind::BuiltinFn)) return cannot_call(callee);
  // The entry lives in its table: the call may move the stack that holds the callee.
  const Builtin& builtin = callee.as_builtin();
  const auto* given = static_cast<const code::Argument*>(in.q);
  if (in.c == 2 && is_builtin(callee, BuiltinKind::Append) && argument_in(given[0], R).is(K::List)) {
    // Taken as arguments are, without gathering them: a list that nothing else holds grows in place.
    Value list = argument(given[0], R);
    list.list_mut().push_back(argument(given[1], R));
    R[in.a] = std::move(list);
    return true;
  }
  constexpr uint32_t kFew = 2;
  Value few[kFew];
  std::unique_ptr<Value[]> many;
  Value* arguments = few;
  if (in.c > kFew) {
    many.reset(new Value[in.c]);
    arguments = many.get();
  }
  for (uint32_t i = 0; i < in.c; ++i) arguments[i] = argument(given[i], R);
  Value result;
  if (!take(builtin.function(ValueSpan(arguments, in.c), *this), result)) return false;
  stack_[base_ + in.a] = std::move(result);
  return true;
}

void Evaluator::unbind(const code::ScopeSlots& scope) {
  for (uint32_t index : scope) local(index) = unbound();
}

bool Evaluator::cannot_call(const Value& callee) {
  return fail(fmt::format("cannot call non-function: {}", callee.display_in_message()));
}

Value Evaluator::function_value(const code::Closure& closure) {
  std::vector<Value> captures;
  captures.reserve(closure.captures.size());
  for (const code::Ref& ref : closure.captures) {
    const Value* value = bound(ref);
    captures.push_back(value ? *value : unbound());
  }
  return Value::function(new FunctionObject(closure.code, std::move(captures)));
}

}  // namespace ostrel
