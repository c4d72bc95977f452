#include "interpreter/output_sink.hpp"

#include <cstdio>
#include <utility>

namespace ostrel {

void StdoutSink::write_line(std::string_view text) {
  // One write of the text and its newline, then a flush; errors (a closed pipe) are ignored.
  std::string line(text);
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
  count_line();
}

std::vector<std::string> CaptureSink::take_lines() { return std::exchange(lines_, {}); }

}  // namespace ostrel
