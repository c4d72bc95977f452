// Calls from outside the dispatch loop (a builtin calling back, the interpreter's users), and
// the values calls are made of.
#include <fmt/format.h>

#include "interpreter/builtins.hpp"
#include "interpreter/evaluator.hpp"
#include "interpreter/function.hpp"
#include "interpreter/limits.hpp"

namespace ostrel {

Result<Value> Evaluator::call_value(const Value& callee, const ValueList& arguments) {
  return reporting_memory_errors([&]() -> Result<Value> {
    Value out;
    if (!call(callee, arguments, out)) return Error{error_};
    return out;
  });
}

// A builtin runs at once; a function's callee and arguments go into a frame of their own, where
// the instructions of one call run them as the dispatch loop runs any call.
bool Evaluator::call(const Value& callee, ValueSpan arguments, Value& out) {
  if (callee.is(Value::Kind::BuiltinFn)) return take(callee.as_builtin().function(arguments, *this), out);
  if (!callee.is(Value::Kind::Function)) return cannot_call(callee);
  auto count = static_cast<uint32_t>(arguments.size());
  if (call_chunks_.size() <= count) call_chunks_.resize(count + 1);
  if (!call_chunks_[count]) {
    call_chunks_[count] = std::make_unique<code::Chunk>();
    code::compile_call(count, *call_chunks_[count]);
  }
  size_t caller_base = base_;
  size_t frame = stack_.top();
  stack_.push(count + 1, 0, 0);
  auto leave = [&] {
    base_ = caller_base;
    stack_.pop_to(frame);
  };
  Value* R = &stack_[frame];
  R[0] = callee;
  for (uint32_t i = 0; i < count; ++i) R[i + 1] = arguments[i];
  base_ = frame;
  bool done;
  try {
    done = run(*call_chunks_[count], out);
  } catch (...) {
    leave();
    throw;
  }
  leave();
  return done;
}

bool Evaluator::cannot_call(const Value& callee) {
  return fail(fmt::format("cannot call non-function: {}", callee.display()));
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
