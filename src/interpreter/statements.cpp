// Programs and statements: each top-level statement is lowered and run in a frame of its own;
// declarations bind the innermost scope's slot.
#include "interpreter/evaluator.hpp"
#include "interpreter/global_environment.hpp"
#include "interpreter/limits.hpp"
#include "interpreter/lowering.hpp"

namespace ostrel {

Evaluator::Evaluator(OutputSink& output, const std::vector<Module>& modules, bool moves_globals)
    : output_(output), moves_globals_(moves_globals) {
  bind_predefined(globals_, symbols_, modules);
}

// Running out of memory becomes a runtime error; the frames on the way out have already been
// released.
Result<Value> Evaluator::run_program(const ast::Stmt& program) {
  stack_guard_ = StackGuard();
  walks_.clear();  // what a run that ran out of memory may have left
  calls_.clear();
  return reporting_memory_errors([&] { return run_statements(program); });
}

Result<Value> Evaluator::call_value(const Value& callee, const ValueList& arguments) {
  return reporting_memory_errors([&]() -> Result<Value> {
    Value out;
    if (!apply(callee, arguments, out)) return Error{error_};
    return out;
  });
}

// Each top-level statement is lowered just before it runs, so that the statements before one
// too deep to lower have run.
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
    Frame frame(*this, lowered->frame_size, 0, lowered->variables);
    frame.enter(false);
    Flow flow = lowered->instructions ? (run(*lowered->instructions, current) ? Flow::Normal : Flow::Error)
                                      : execute(lowered->statement, current);
    if (flow == Flow::Error) return Error{error_};
    if (flow == Flow::Return) break;
  }
  return current;
}

Evaluator::Flow Evaluator::execute(const code::Stmt& statement, Value& out) {
  using Kind = code::Stmt::Kind;
  switch (statement.kind) {
    case Kind::Sequence:
      out = Value();
      for (const code::Stmt& inner : statement.statements) {
        Flow flow = execute(inner, out);
        if (flow != Flow::Normal) return flow;
      }
      return Flow::Normal;
    case Kind::Declare: {
      Value value;
      if (!evaluate(*statement.expr, value)) return Flow::Error;
      slot(statement.slot) = std::move(value);
      out = Value();
      return Flow::Normal;
    }
    case Kind::Function:
      slot(statement.slot) = function_value(statement.function);
      out = Value();
      return Flow::Normal;
    case Kind::Evaluate: return evaluate(*statement.expr, out) ? Flow::Normal : Flow::Error;
    case Kind::Return:
      if (!statement.expr) {
        out = Value();
        return Flow::Return;
      }
      return evaluate(*statement.expr, out) ? Flow::Return : Flow::Error;
    case Kind::Nothing: break;
  }
  out = Value();
  return Flow::Normal;
}

// Between runs only the global scope exists.
void Evaluator::for_each_binding(const std::function<void(std::string_view, const Value&)>& visit) const {
  globals_.for_each_bound([&](Symbol name, const Value& value) { visit(symbols_.name(name), value); });
}


void Evaluator::unbind(const code::ScopeSlots& scope) {
  for (uint32_t index : scope) local(index) = unbound();
}

}  // namespace ostrel
