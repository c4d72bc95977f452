#pragma once
// Buffered line reading from a file descriptor: standard input for the interactive loop, the
// output pipes of programs run by the system library.
#include <cstddef>
#include <string>

#include "support/result.hpp"

namespace ostrel {

class LineReader {
 public:
  explicit LineReader(int fd) : fd_(fd) {}

  // Replaces `line` with the next line, up to and including its "\n" (the last line of the input
  // may lack it). True when a line was read, false at end of input; on a read error or a line
  // that is not valid UTF-8, the error's text. Interrupted reads are retried.
  Result<bool> read_line(std::string& line);

 private:
  // Reads more bytes into the empty buffer: true when some arrived, false at end of input.
  Result<bool> refill();

  int fd_;
  char buffer_[8192];
  size_t begin_ = 0;
  size_t end_ = 0;
};

}  // namespace ostrel
