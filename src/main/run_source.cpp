#include "main/run_source.hpp"

#include <fmt/format.h>

#include <cstdio>

#include "interpreter/interpreter.hpp"
#include "parser/parse_program.hpp"
#include "stdlib/library.hpp"

namespace ostrel {
namespace {

int runtime_error(const std::string& message) {
  fmt::print(stderr, "Runtime error: {}\n", message);
  return 1;
}

}  // namespace

int run_source(std::string_view source) {
  Result<ast::StmtPtr> program = parse_program(source);
  if (!program) {
    fmt::print(stderr, "Parse error: {}\n", program.error());
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
