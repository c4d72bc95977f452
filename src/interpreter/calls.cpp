// Calls: user functions and lambdas run in their closure with one scope of parameters on top;
// builtins and library members run the function of their table entry.
#include <fmt/format.h>

#include "interpreter/builtins.hpp"
#include "interpreter/evaluator.hpp"
#include "interpreter/function.hpp"
#include "interpreter/limits.hpp"

namespace ostrel {

// Puts a callee's environment in place of the caller's for the duration of a call, and the
// caller's back on every way out; the callee's scopes are let go then.
class CallFrame {
 public:
  CallFrame(Evaluator& evaluator, Environment& callee)
      : evaluator_(evaluator), callee_(callee), caller_(evaluator.environment_) {
    evaluator_.environment_ = &callee_;
    ++evaluator_.call_depth_;
  }
  ~CallFrame() {
    evaluator_.environment_ = caller_;
    callee_.clear();
    --evaluator_.call_depth_;
  }
  CallFrame(const CallFrame&) = delete;
  CallFrame& operator=(const CallFrame&) = delete;

 private:
  Evaluator& evaluator_;
  Environment& callee_;
  Environment* caller_;
};

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

namespace {

// A new call scope holding the function's own name, so that a declared function can call itself
// (its closure was taken before its name was bound). Parameters are bound after it.
ScopeRef call_scope(const Value& callee) {
  const code::FunctionCode& code = *function_of(callee).code;
  ScopeRef frame = ScopeRef::fresh();
  Scope& scope = frame.writable();
  scope.reserve(code.params.size() + 1);
  if (code.name) scope.define(*code.name, callee);
  return frame;
}

}  // namespace

// Evaluates the arguments straight into the new call scope. Missing arguments are None, extra
// ones are evaluated and dropped.
bool Evaluator::call_function(const Value& callee, const std::vector<code::ExprPtr>& arguments, Value& out) {
  const std::vector<Symbol>& params = function_of(callee).code->params;
  ScopeRef frame = call_scope(callee);
  Scope& scope = frame.writable();
  for (size_t i = 0; i < arguments.size(); ++i) {
    Value argument;
    if (!evaluate(*arguments[i], argument)) return false;
    if (i < params.size()) scope.define(params[i], std::move(argument));
  }
  for (size_t i = arguments.size(); i < params.size(); ++i) scope.define(params[i], Value());
  return run_body(callee, std::move(frame), out);
}

bool Evaluator::apply(const Value& callee, const ValueList& arguments, Value& out) {
  if (callee.is(Value::Kind::Function)) {
    const std::vector<Symbol>& params = function_of(callee).code->params;
    ScopeRef frame = call_scope(callee);
    Scope& scope = frame.writable();
    for (size_t i = 0; i < params.size(); ++i) scope.define(params[i], i < arguments.size() ? arguments[i] : Value());
    return run_body(callee, std::move(frame), out);
  }
  if (callee.is(Value::Kind::BuiltinFn)) return take(callee.as_builtin().function(arguments, *this), out);
  return fail(fmt::format("cannot call non-function: {}", callee.display()));
}

bool Evaluator::run_body(const Value& callee, ScopeRef frame, Value& out) {
  if (call_depth_ >= kMaxCallDepth) return fail(kTooDeep);
  const FunctionObject& function = function_of(callee);
  // One environment per call depth, kept for the next call at that depth so that its storage is
  // reused (a deque, so that deeper calls adding one do not move this one).
  if (call_environments_.size() == call_depth_) call_environments_.emplace_back();
  Environment& environment = call_environments_[call_depth_];
  environment.rebuild(function.closure, std::move(frame));
  CallFrame call(*this, environment);
  return evaluate(*function.code->body, out);
}

Value Evaluator::function_value(const std::shared_ptr<const code::FunctionCode>& code) {
  return Value::function(new FunctionObject(code, environment_->capture(code->free_names)));
}

}  // namespace ostrel
