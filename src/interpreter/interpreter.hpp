#pragma once
// The evaluator as its users see it: `run` and `eval` build one Interpreter per source text, the
// interactive loop keeps one across inputs and builds a new one on `:reset`.
//
// An Interpreter owns a global environment (the builtins and a dictionary for each library
// module its creator hands it) and an output sink through which everything the program prints
// goes. Bindings made by one `run_program` call stay for the next one.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ast/ast.hpp"
#include "interpreter/builtins.hpp"
#include "interpreter/output_sink.hpp"
#include "interpreter/value.hpp"
#include "support/result.hpp"

namespace ostrel {

class Evaluator;

// The display form of a value, or the error "out of memory" when it is too large to be held
// (a list built as [d, d] from itself forty times is small, but displays as 2^40 elements).
Result<std::string> display_form(const Value& value);

// How long the globals live: for one program (`run` and `eval`), which its first error ends, or
// across inputs (the REPL), where an input that fails leaves every global as it was. A single
// program may move a variable's value into a call that replaces it, since no one can see the
// variable emptied meanwhile; across inputs the value is loaned to the call (see open_loan).
enum class Session : uint8_t { AcrossInputs, OneProgram };

class Interpreter {
 public:
  // `modules` are tables that outlive the interpreter (the system library's).
  Interpreter(std::unique_ptr<OutputSink> output, const std::vector<Module>& modules,
              Session session = Session::AcrossInputs);
  ~Interpreter();
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  // Runs a parsed program (the `Stmt::Module` from parse_program) statement by statement and
  // yields the value of its last statement (None for an empty program), or the message of the
  // first runtime error (the text that follows "Runtime error: "). Lines printed before an error
  // stay printed and bindings made before it stay bound; scopes opened by the failing constructs
  // are closed again.
  //
  // The tree is only read during the call: function values made from it keep their own compiled
  // form, so the caller may free the tree as soon as this returns. Never throws: running out of
  // memory and runaway recursion are reported as runtime errors.
  Result<Value> run_program(const ast::Stmt& program);

  // Applies a callee (a function, a lambda or a builtin) to already evaluated arguments.
  Result<Value> call_value(const Value& callee, const ValueList& arguments);

  OutputSink& output() { return *output_; }

  // Visits every variable binding, scope by scope from the global scope to the innermost one;
  // within a scope in the order the names were first bound there. Between two `run_program`
  // calls only the global scope exists.
  void for_each_binding(const std::function<void(std::string_view name, const Value& value)>& visit) const;

 private:
  // Declared first so that it is released last: the environment goes before the sink.
  std::unique_ptr<OutputSink> output_;
  std::unique_ptr<Evaluator> evaluator_;
};

}  // namespace ostrel
