// Calls: a user function or lambda runs in a new frame holding its own name, its parameters and
// the values it captured; builtins and library members run the function of their table entry.
#include <fmt/format.h>

#include "interpreter/builtins.hpp"
#include "interpreter/evaluator.hpp"
#include "interpreter/function.hpp"
#include "interpreter/limits.hpp"

namespace ostrel {

bool Evaluator::evaluate_call(const code::Call& node, Value& out) {
  Value callee;
  if (!evaluate(*node.callee, callee)) return false;
  if (node.walked_range) return call_walking_range(callee, node, out);
  return call_with(callee, node.arguments, out);
}

// `map(f, range(...))`, `filter(f, range(...))`, `sum(range(...))`: while the callee is still
// that builtin, the range is walked instead of built; the arguments are evaluated in order.
bool Evaluator::call_walking_range(const Value& callee, const code::Call& node, Value& out) {
  const code::Call::WalkedRange& walked = *node.walked_range;
  if (!is_builtin(callee, walked.entry)) return call_with(callee, node.arguments, out);
  Value function;
  Sequence items;
  for (size_t i = 0; i < node.arguments.size(); ++i) {
    if (i == walked.argument) {
      if (!evaluate_sequence(*node.arguments[i], walked.range, items)) return false;
      continue;
    }
    Value value;
    if (!evaluate(*node.arguments[i], value)) return false;
    if (i == 0) function = std::move(value);  // map's and filter's function; sum's extras go
  }
  using Walker = code::Call::WalkedRange::Walker;
  if (walked.walker == Walker::Sum) return take(sum_over(items), out);
  if (walked.walker == Walker::Map) return take(map_over(function, items, *this), out);
  return take(filter_over(function, items, *this), out);
}

// An iterable; a call `range(...)` of the builtin `range` is counted, not built.
bool Evaluator::evaluate_sequence(const code::Expr& iterable, const Builtin* range, Sequence& out) {
  Value value;
  if (range) {
    const auto& call = code::as<code::Call>(iterable);
    Value callee;
    if (!evaluate(*call.callee, callee)) return false;
    if (is_builtin(callee, range)) {
      ValueList arguments;
      if (!evaluate_all(call.arguments, arguments)) return false;
      Result<IntRange> range = range_of(arguments);
      if (!range) return fail(range.error());
      out = Sequence(*range);
      return true;
    }
    if (!call_with(callee, call.arguments, value)) return false;
  } else if (!evaluate(iterable, value)) {
    return false;
  }
  out = Sequence(std::move(value));
  return true;
}

// The right side is evaluated as it stands and called with the left value: `x |> f(y)` calls
// f(y) first and then its result with x.
bool Evaluator::evaluate_pipe(const code::Pipe& node, Value& out) {
  Value argument, callee;
  if (!evaluate(*node.left, argument) || !evaluate(*node.right, callee)) return false;
  return apply(callee, ValueList{std::move(argument)}, out);
}

bool Evaluator::call_with(const Value& callee, const std::vector<code::ExprPtr>& arguments, Value& out) {
  if (callee.is(Value::Kind::Function)) return call_function(callee, arguments, out);
  ValueList values;
  if (!evaluate_all(arguments, values)) return false;
  return apply(callee, values, out);
}

// The function's own name is bound first, so that a parameter of the same name hides it: a
// declared function can call itself although it was made before its name was bound.
void Evaluator::bind_self(const Value& callee, Frame& frame) {
  const code::FunctionCode& code = *function_of(callee).code;
  if (code.self_slot) frame[*code.self_slot] = callee;
}

// Evaluates the arguments straight into the callee's slots. Missing arguments are None, extra
// ones are evaluated and dropped.
bool Evaluator::call_function(const Value& callee, const std::vector<code::ExprPtr>& arguments, Value& out) {
  const code::FunctionCode& code = *function_of(callee).code;
  Frame frame(*this, code.frame_size, code.bound_on_entry, code.variables);
  bind_self(callee, frame);
  const std::vector<uint32_t>& params = code.param_slots;
  for (size_t i = 0; i < arguments.size(); ++i) {
    Value argument;
    if (!evaluate(*arguments[i], argument)) return false;
    if (i < params.size()) frame[params[i]] = std::move(argument);
  }
  for (size_t i = arguments.size(); i < params.size(); ++i) frame[params[i]] = Value();
  return run_body(callee, frame, out);
}

bool Evaluator::apply(const Value& callee, const ValueList& arguments, Value& out) {
  if (callee.is(Value::Kind::Function)) {
    const code::FunctionCode& code = *function_of(callee).code;
    Frame frame(*this, code.frame_size, code.bound_on_entry, code.variables);
    bind_self(callee, frame);
    const std::vector<uint32_t>& params = code.param_slots;
    for (size_t i = 0; i < params.size(); ++i) frame[params[i]] = i < arguments.size() ? arguments[i] : Value();
    return run_body(callee, frame, out);
  }
  if (callee.is(Value::Kind::BuiltinFn)) return take(callee.as_builtin().function(arguments, *this), out);
  return cannot_call(callee);
}

bool Evaluator::cannot_call(const Value& callee) {
  return fail(fmt::format("cannot call non-function: {}", callee.display_in_message()));
}

// The captured values go into their slots last: they are never the function's own name or a
// parameter, whose slots stay apart.
bool Evaluator::run_body(const Value& callee, Frame& frame, Value& out) {
  if (call_depth_ >= kMaxCallDepth) return fail(kTooDeep);
  const FunctionObject& function = function_of(callee);
  const std::vector<uint32_t>& capture_slots = function.code->capture_slots;
  for (size_t i = 0; i < capture_slots.size(); ++i) frame[capture_slots[i]] = function.captures[i];
  frame.enter(true);
  return run(function.code->instructions, out);
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
