#include "repl/standard_output.hpp"

#include <cstdio>

namespace ostrel {

void write_stdout(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  // Keep an error from one write from swallowing the next ones.
  std::clearerr(stdout);
}

void flush_stdout() {
  std::fflush(stdout);
  std::clearerr(stdout);
}

}  // namespace ostrel
