#include "main/run_source.hpp"

#include <cstdio>

#include "interpreter/interpreter.hpp"
#include "main/error_output.hpp"
#include "parser/parse_program.hpp"
#include "stdlib/library.hpp"

namespace ostrel {
namespace {

int runtime_error(const std::string& message) {
  print_error("Runtime error: ", message);
  return 1;
}

}  // namespace

int run_source(std::string_view source) {
  Result<ast::StmtPtr> program = parse_program(source);
  if (!program) {
    print_error("Parse error: ", program.error());
    return 1;
  }
  Interpreter interpreter(std::make_unique<StdoutSink>(), stdlib::modules());
  Result<Value> result = interpreter.run_program(*program.value());
  if (!result) return runtime_error(result.error());
  if (!result->is_none()) {
    Result<std::string> text = display_form(*result);
    if (!text) return runtime_error(text.error());
    std::fwrite(text->data(), 1, text->size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace ostrel
