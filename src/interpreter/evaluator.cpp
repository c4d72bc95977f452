#include "interpreter/evaluator.hpp"

#include "interpreter/compiler.hpp"
#include "interpreter/global_environment.hpp"
#include "interpreter/limits.hpp"

namespace ostrel {

Evaluator::Evaluator(OutputSink& output, const std::vector<Module>& modules)
    : top_level_(global_environment(symbols_, modules)), output_(output) {}

// Running out of memory becomes a runtime error; the guards on the way out have already closed
// the scopes and put the caller's environment back.
Result<Value> Evaluator::run_program(const ast::Stmt& program) {
  stack_ = StackGuard();
  return reporting_memory_errors([&] { return run_statements(program); });
}

Result<Value> Evaluator::call_value(const Value& callee, const ValueList& arguments) {
  return reporting_memory_errors([&]() -> Result<Value> {
    Value out;
    if (!apply(callee, arguments, out)) return Error{error_};
    return out;
  });
}

// Each top-level statement is compiled just before it runs, so that the statements before one
// too deep to compile have run.
Result<Value> Evaluator::run_statements(const ast::Stmt& program) {
  std::vector<const ast::Stmt*> statements;
  if (const auto* module = std::get_if<ast::stmt::Module>(&program.node)) {
    for (const ast::Stmt& statement : module->statements) statements.push_back(&statement);
  } else {
    statements.push_back(&program);
  }
  Compiler compiler(symbols_, stack_);
  Value current;
  for (const ast::Stmt* statement : statements) {
    std::optional<code::Stmt> compiled = compiler.compile(*statement);
    if (!compiled) return Error{kTooDeep};
    Flow flow = execute(*compiled, current);
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
      environment_->define(statement.name, std::move(value));
      out = Value();
      return Flow::Normal;
    }
    case Kind::Function:
      environment_->define(statement.name, function_value(statement.function));
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

void Evaluator::for_each_binding(const std::function<void(std::string_view, const Value&)>& visit) const {
  for (const ScopeRef& scope : environment_->scopes()) {
    if (!scope) continue;
    for (const Binding& binding : scope->bindings()) visit(symbols_.name(binding.name), binding.value);
  }
}

bool Evaluator::take(Result<Value>&& result, Value& out) {
  if (!result) return fail(std::move(result).take_error().message);
  out = std::move(result).value();
  return true;
}

}  // namespace ostrel
