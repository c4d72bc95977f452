// Programs: each top-level statement is lowered, compiled and run in a frame of its own at the
// bottom of the value stack.
#include "interpreter/evaluator.hpp"
#include "interpreter/global_environment.hpp"
#include "interpreter/limits.hpp"
#include "interpreter/lowering.hpp"

namespace ostrel {

Evaluator::Evaluator(OutputSink& output, const std::vector<Module>& modules) : output_(output) {
  bind_predefined(globals_, symbols_, modules);
}

// Running out of memory becomes a runtime error; what the run left on the stack goes after it,
// however it ended.
Result<Value> Evaluator::run_program(const ast::Stmt& program) {
  stack_guard_ = StackGuard();
  Result<Value> result = reporting_memory_errors([&] { return run_statements(program); });
  walks_.clear();
  calls_.clear();
  stack_.pop_to(0);
  base_ = 0;
  call_depth_ = 0;
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
  Lowering lowering(symbols_, globals_, stack_guard_);
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

// Between runs only the global scope exists.
void Evaluator::for_each_binding(const std::function<void(std::string_view, const Value&)>& visit) const {
  globals_.for_each_bound([&](Symbol name, const Value& value) { visit(symbols_.name(name), value); });
}

void Evaluator::unbind(const code::ScopeSlots& scope) {
  for (uint32_t index : scope) local(index) = unbound();
}

}  // namespace ostrel
