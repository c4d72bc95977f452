#include "interpreter/interpreter.hpp"

#include "interpreter/evaluator.hpp"
#include "interpreter/limits.hpp"

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

}  // namespace ostrel
