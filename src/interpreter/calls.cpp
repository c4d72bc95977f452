// Calls: user functions and lambdas run in their closure with one scope of parameters on top;
// builtins run here; every other builtin name goes to the system library.
#include <fmt/format.h>

#include "interpreter/builtins.hpp"
#include "interpreter/evaluator.hpp"
#include "interpreter/function.hpp"
#include "interpreter/limits.hpp"
#include "stdlib/call.hpp"

namespace ostrel {

// Puts a callee's environment in place of the caller's for the duration of a call, and the
// caller's back on every way out.
class CallFrame {
 public:
  CallFrame(Evaluator& evaluator, Environment& callee) : evaluator_(evaluator), callee_(callee) {
    std::swap(evaluator_.environment_, callee_);
    ++evaluator_.call_depth_;
  }
  ~CallFrame() {
    std::swap(evaluator_.environment_, callee_);
    --evaluator_.call_depth_;
  }
  CallFrame(const CallFrame&) = delete;
  CallFrame& operator=(const CallFrame&) = delete;

 private:
  Evaluator& evaluator_;
  Environment& callee_;
};

bool Evaluator::evaluate_call(const code::Call& node, Value& out) {
  Value callee;
  if (!evaluate(*node.callee, callee)) return false;
  return call_with(callee, node.arguments, out);
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

// Evaluates the arguments straight into the new call scope.
bool Evaluator::call_function(const Value& callee, const std::vector<code::ExprPtr>& arguments, Value& out) {
  const FunctionObject& function = function_of(callee);
  const std::vector<Symbol>& params = function.code->params;
  ScopeRef frame = ScopeRef::fresh();
  Scope& scope = frame.writable();
  if (function.code->name) scope.define(*function.code->name, callee);
  for (size_t i = 0; i < arguments.size(); ++i) {
    Value argument;
    if (!evaluate(*arguments[i], argument)) return false;
    if (i < params.size()) scope.define(params[i], std::move(argument));
  }
  for (size_t i = arguments.size(); i < params.size(); ++i) scope.define(params[i], Value());
  return run_body(function, std::move(frame), out);
}

bool Evaluator::apply(const Value& callee, const ValueList& arguments, Value& out) {
  if (callee.is(Value::Kind::Function)) {
    const FunctionObject& function = function_of(callee);
    const std::vector<Symbol>& params = function.code->params;
    ScopeRef frame = ScopeRef::fresh();
    Scope& scope = frame.writable();
    if (function.code->name) scope.define(*function.code->name, callee);
    for (size_t i = 0; i < params.size(); ++i) scope.define(params[i], i < arguments.size() ? arguments[i] : Value());
    return run_body(function, std::move(frame), out);
  }
  if (callee.is(Value::Kind::BuiltinFn)) {
    const std::string& name = callee.as_string();
    if (std::optional<Builtin> builtin = builtin_named(name)) return take(call_builtin(*builtin, arguments, *this), out);
    std::optional<Result<Value>> result = stdlib::call(name, arguments, output_);
    if (!result) return fail(fmt::format("unknown builtin: {}", name));
    return take(std::move(*result), out);
  }
  return fail(fmt::format("cannot call non-function: {}", callee.display()));
}

bool Evaluator::run_body(const FunctionObject& function, ScopeRef frame, Value& out) {
  if (call_depth_ >= kMaxCallDepth) return fail(kTooDeep);
  Environment callee = function.closure.with_top(std::move(frame));
  CallFrame call(*this, callee);
  return evaluate(*function.code->body, out);
}

Value Evaluator::function_value(const std::shared_ptr<const code::FunctionCode>& code) {
  return Value::function(new FunctionObject(code, environment_.snapshot()));
}

}  // namespace ostrel
