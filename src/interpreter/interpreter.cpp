// The evaluator's front: what the interpreter's users and the library's builtins call. Programs
// are lowered, compiled and run one top-level statement at a time, at the bottom of the value
// stack; a call from outside the loop runs in a frame of its own above whatever is running.
#include "interpreter/interpreter.hpp"

#include "interpreter/evaluator.hpp"
#include "interpreter/global_environment.hpp"
#include "interpreter/limits.hpp"
#include "interpreter/lowering.hpp"

namespace ostrel {

Result<std::string> display_form(const Value& value) {
  return reporting_memory_errors([&]() -> Result<std::string> { return value.display(); });
}

Interpreter::Interpreter(std::unique_ptr<OutputSink> output, const std::vector<Module>& modules, Session session)
    : output_(std::move(output)),
      evaluator_(std::make_unique<Evaluator>(*output_, modules, session == Session::OneProgram)) {}

Interpreter::~Interpreter() = default;

Result<Value> Interpreter::run_program(const ast::Stmt& program) { return evaluator_->run_program(program); }

Result<Value> Interpreter::call_value(const Value& callee, const ValueList& arguments) {
  return evaluator_->call_value(callee, arguments);
}

void Interpreter::for_each_binding(const std::function<void(std::string_view, const Value&)>& visit) const {
  evaluator_->for_each_binding(visit);
}

Evaluator::Evaluator(OutputSink& output, const std::vector<Module>& modules, bool moves_globals)
    : output_(output), moves_globals_(moves_globals) {
  bind_predefined(globals_, symbols_, modules);
}

// Running out of memory becomes a runtime error; what the run left on the stack goes after it,
// however it ended. A loan is still open only when the statement that took it failed: with
// every other holder gone, the global gets back what it held.
Result<Value> Evaluator::run_program(const ast::Stmt& program) {
  stack_guard_ = StackGuard();
  Result<Value> result = reporting_memory_errors([&] { return run_statements(program); });
  walks_.clear();
  calls_.clear();
  stack_.pop_to(0);
  base_ = 0;
  call_depth_ = 0;
  undo_loan();
  return result;
}

// Each top-level statement is lowered just before it runs, so that the statements before one
// too deep to lower have run. A `return` ends the program with its value.
Result<Value> Evaluator::run_statements(const ast::Stmt& program) {
  std::vector<const ast::Stmt*> statements;
  if (const auto* module = std::get_if<ast::stmt::Module>(&program.node)) {
    for (const ast::Stmt& statement : module->statements) statements.push_back(&statement);
  } else {
    statements.push_back(&program);
  }
  Lowering lowering(symbols_, globals_, stack_guard_, moves_globals_);
  Value current;
  for (const ast::Stmt* statement : statements) {
    std::unique_ptr<code::TopLevel> lowered = lowering.lower(*statement);
    if (!lowered) return Error{kTooDeep};
    stack_.push(lowered->frame_size, 0, lowered->variables);
    bool done = run(lowered->instructions, current);
    stack_.pop_to(0);
    if (!done) return Error{error_};
    if (lowered->statement.kind == code::Stmt::Kind::Return) break;
  }
  return current;
}

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

// Between runs only the global scope exists.
void Evaluator::for_each_binding(const std::function<void(std::string_view, const Value&)>& visit) const {
  globals_.for_each_bound([&](Symbol name, const Value& value) { visit(symbols_.name(name), value); });
}

}  // namespace ostrel
