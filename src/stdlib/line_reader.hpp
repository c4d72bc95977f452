#pragma once
// Reads a program's output stream line by line through an 8192-byte buffer.
#include <cstddef>
#include <optional>
#include <string>

namespace ostrel::stdlib {

class LineReader {
 public:
  explicit LineReader(int fd) : fd_(fd) {}

  // The next line without its "\n" or "\r\n". No value at the end of the stream, after a read
  // error, or at a line that is not valid UTF-8; reading then stays ended, and the rest of the
  // stream is never looked at.
  std::optional<std::string> next();

 private:
  enum class Fill { Data, End, Failed };
  Fill fill();

  int fd_;
  bool ended_ = false;
  char buffer_[8192];
  size_t start_ = 0;
  size_t end_ = 0;
};

}  // namespace ostrel::stdlib
