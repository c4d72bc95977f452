#include "repl/run_and_report.hpp"

#include <string>

#include "parser/parse_program.hpp"

namespace ostrel {

void write_error_line(std::FILE* stream, std::string_view prefix, std::string_view message) {
  flush_stdout();  // lines printed before the error, still buffered when not on a terminal, come first
  std::string line;
  line.reserve(prefix.size() + message.size() + 1);
  line.append(prefix).append(message).push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fflush(stream);
  std::clearerr(stream);
}

void write_stdout(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::clearerr(stdout);
}

void flush_stdout() {
  std::fflush(stdout);
  std::clearerr(stdout);
}

namespace {

// The sequence without the final flush; true when it ran to its end and showed its value.
bool parse_run_and_write(std::string_view source, Interpreter& interpreter, std::FILE* errors,
                         const std::function<void()>& after_run) {
  Result<ast::StmtPtr> program = parse_program(source);
  if (!program) {
    write_error_line(errors, kParseErrorPrefix, program.error());
    return false;
  }
  Result<Value> result = interpreter.run_program(*program.value());
  if (after_run) after_run();
  if (!result) {
    write_error_line(errors, kRuntimeErrorPrefix, result.error());
    return false;
  }
  if (result->is_none()) return true;
  Result<std::string> text = display_form(*result);
  if (!text) {
    write_error_line(errors, kRuntimeErrorPrefix, text.error());
    return false;
  }
  // Not joined into one line: the display form may be most of the memory there is.
  write_stdout(*text);
  write_stdout("\n");
  return true;
}

}  // namespace

bool run_and_report(std::string_view source, Interpreter& interpreter, std::FILE* errors,
                    const std::function<void()>& after_run) {
  bool ran = parse_run_and_write(source, interpreter, errors, after_run);
  flush_stdout();
  return ran;
}

}  // namespace ostrel
