#include "interpreter/output_sink.hpp"

#include <unistd.h>

#include <cstdio>
#include <utility>

namespace ostrel {

StdoutSink::StdoutSink() : to_terminal_(isatty(STDOUT_FILENO) == 1) {}

// Errors (a closed pipe, a full disk) are ignored here and in `flush`: the program goes on.
void StdoutSink::write_line(std::string_view text) {
  if (to_terminal_) {
    // One write of the text and its newline.
    std::string line(text);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
  } else {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
  }
  count_line();
}

void StdoutSink::flush() { std::fflush(stdout); }

std::vector<std::string> CaptureSink::take_lines() { return std::exchange(lines_, {}); }

}  // namespace ostrel
