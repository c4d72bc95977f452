#include "support/io.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

#include "support/os_error.hpp"
#include "support/utf8.hpp"

namespace ostrel {

namespace {

// Each read asks for as much as has been read so far, within these bounds, so that a small file
// takes little memory and a large one few reads.
constexpr std::size_t kFirstReadBytes = std::size_t{4} << 10;
constexpr std::size_t kLargestReadBytes = std::size_t{64} << 10;

// Reads the whole file; with `text`, stops at the first bytes that are not UTF-8, so that an
// endless device of binary data ends at once. More than `max_bytes` is refused with EFBIG.
Result<std::string> read_file(const std::string& path, bool text, std::size_t max_bytes) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return Error{os_error_text(errno)};
  std::string content;
  std::size_t checked = 0;  // bytes known to be UTF-8
  for (;;) {
    // Read straight into the string: a buffer on the stack would not fit a small main-thread stack.
    std::size_t old_size = content.size();
    std::size_t wanted = std::clamp(old_size, kFirstReadBytes, kLargestReadBytes);
    try {
      content.resize(old_size + wanted);
    } catch (const std::bad_alloc&) {
      return Error{os_error_text(ENOMEM)};
    }
    ssize_t n = ::read(fd.get(), content.data() + old_size, wanted);
    content.resize(old_size + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return Error{os_error_text(errno)};
    }
    if (content.size() > max_bytes) return Error{os_error_text(EFBIG)};
    if (!text) continue;
    // The last character may be incomplete until the next read.
    std::size_t complete = last_character_start(content);
    if (!is_valid_utf8(std::string_view(content).substr(checked, complete - checked))) return Error{kInvalidUtf8};
    checked = complete;
  }
  if (text && !is_valid_utf8(std::string_view(content).substr(checked))) return Error{kInvalidUtf8};
  return content;
}

}  // namespace

Result<std::string> read_file_bytes(const std::string& path) { return read_file(path, false, SIZE_MAX); }

Result<std::string> read_text_file(const std::string& path, std::size_t max_bytes) {
  return read_file(path, true, max_bytes);
}

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

bool LineReader::holds_line() const { return std::memchr(buffer_ + begin_, '\n', end_ - begin_) != nullptr; }

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
