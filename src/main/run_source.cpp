#include "main/run_source.hpp"

#include <fmt/format.h>

#include <cstdio>

#include "interpreter/interpreter.hpp"
#include "interpreter/limits.hpp"
#include "parser/parse_program.hpp"

namespace ostrel {

int run_source(std::string_view source) {
  Result<ast::StmtPtr> program = parse_program(source);
  if (!program) {
    fmt::print(stderr, "Parse error: {}\n", program.error());
    return 1;
  }
  Interpreter interpreter(std::make_unique<StdoutSink>());
  Result<Value> result = interpreter.run_program(*program.value());
  if (!result) {
    fmt::print(stderr, "Runtime error: {}\n", result.error());
    return 1;
  }
  if (!result->is_none()) {
    Result<std::string> shown = display_result(result.value());
    if (!shown) {
      fmt::print(stderr, "Runtime error: {}\n", shown.error());
      return 1;
    }
    std::string text = std::move(shown).value();
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace ostrel
