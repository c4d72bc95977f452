#include "stdlib/line_reader.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/read_file.hpp"

namespace ostrel::stdlib {

LineReader::Fill LineReader::fill() {
  for (;;) {
    ssize_t count = ::read(fd_, buffer_, sizeof buffer_);
    if (count > 0) {
      start_ = 0;
      end_ = static_cast<size_t>(count);
      return Fill::Data;
    }
    if (count == 0) return Fill::End;
    if (errno != EINTR) return Fill::Failed;
  }
}

std::optional<std::string> LineReader::next() {
  if (ended_) return std::nullopt;
  std::string line;
  bool terminated = false;
  while (!terminated) {
    if (start_ == end_) {
      Fill filled = fill();
      if (filled == Fill::Failed || (filled == Fill::End && line.empty())) {
        ended_ = true;
        return std::nullopt;
      }
      if (filled == Fill::End) break;  // a last line without a line feed
    }
    const char* begin = buffer_ + start_;
    const void* newline = std::memchr(begin, '\n', end_ - start_);
    size_t taken = newline ? static_cast<size_t>(static_cast<const char*>(newline) - begin) + 1 : end_ - start_;
    line.append(begin, taken);
    start_ += taken;
    terminated = newline != nullptr;
  }
  if (!is_valid_utf8(line)) {
    ended_ = true;
    return std::nullopt;
  }
  if (terminated) {
    line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  return line;
}

}  // namespace ostrel::stdlib
