#pragma once
// Reading through file descriptors: a descriptor with one owner, whole files as bytes or UTF-8
// text, and buffered line reading (standard input for the interactive loop, the output pipes of
// programs run by the system library). Failures are the error texts users see.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "support/result.hpp"

namespace ostrel {

// Sole owner of one file descriptor, closed when the owner ends.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    UniqueFd moved(std::move(other));
    std::swap(fd_, moved.fd_);
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

// The file's bytes, or an OS error text.
Result<std::string> read_file_bytes(const std::string& path);

// The file's contents, or an OS error text, or "stream did not contain valid UTF-8". A file of
// more than `max_bytes` gives the error text of EFBIG.
Result<std::string> read_text_file(const std::string& path, std::size_t max_bytes = SIZE_MAX);

// Buffered lines from a file descriptor.
class LineReader {
 public:
  explicit LineReader(int fd) : fd_(fd) {}

  // Replaces `line` with the next line, up to and including its "\n" (the last line of the input
  // may lack it). True when a line was read, false at end of input; on a read error or a line
  // that is not valid UTF-8, the error's text. Interrupted reads are retried.
  Result<bool> read_line(std::string& line);
  // True when the next line is already buffered whole, so that reading it will not wait.
  bool holds_line() const;

 private:
  // Reads more bytes into the empty buffer: true when some arrived, false at end of input.
  Result<bool> refill();

  int fd_;
  char buffer_[8192];
  size_t begin_ = 0;
  size_t end_ = 0;
};

}  // namespace ostrel
