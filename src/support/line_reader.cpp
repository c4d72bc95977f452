#include "support/line_reader.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/os_error.hpp"
#include "support/utf8.hpp"

namespace ostrel {

Result<bool> LineReader::read_line(std::string& line) {
  line.clear();
  for (;;) {
    if (begin_ == end_) {
      OSTREL_TRY(more, refill());
      if (!more) break;
    }
    const char* start = buffer_ + begin_;
    const void* newline = std::memchr(start, '\n', end_ - begin_);
    size_t taken = newline ? static_cast<const char*>(newline) - start + 1 : end_ - begin_;
    line.append(start, taken);
    begin_ += taken;
    if (newline) break;
  }
  if (!is_valid_utf8(line)) return Error{kInvalidUtf8};
  return !line.empty();
}

Result<bool> LineReader::refill() {
  for (;;) {
    ssize_t count = ::read(fd_, buffer_, sizeof buffer_);
    if (count >= 0) {
      begin_ = 0;
      end_ = static_cast<size_t>(count);
      return count > 0;
    }
    if (errno == EINTR) continue;
    // A standard input closed from the start reads as an empty one.
    if (errno == EBADF) return false;
    return Error{os_error_text(errno)};
  }
}

}  // namespace ostrel
