#include "support/read_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

#include "support/unique_fd.hpp"

namespace ostrel {

std::string os_error_text(int error_number) {
  return std::string(std::strerror(error_number)) + " (os error " + std::to_string(error_number) + ")";
}

namespace {

// Where the character that may still be incomplete at the end of `text` starts: UTF-8 can be
// checked up to there before the rest of the file has arrived.
std::size_t last_character_start(std::string_view text) {
  std::size_t start = text.size();
  while (start > 0 && text.size() - start < 4) {
    --start;
    if ((static_cast<unsigned char>(text[start]) & 0xC0) != 0x80) break;
  }
  return start;
}

// Reads the whole file; with `text`, stops at the first bytes that are not UTF-8, so that an
// endless device of binary data ends at once. More than `max_bytes` is refused with EFBIG.
Result<std::string> read_file(const std::string& path, bool text, std::size_t max_bytes) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return Error{os_error_text(errno)};
  std::string content;
  std::size_t checked = 0;  // bytes known to be UTF-8
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return Error{os_error_text(errno)};
    }
    if (static_cast<std::size_t>(n) > max_bytes - content.size()) return Error{os_error_text(EFBIG)};
    try {
      content.append(buffer, static_cast<std::size_t>(n));
    } catch (const std::bad_alloc&) {
      return Error{os_error_text(ENOMEM)};
    }
    if (!text) continue;
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

}  // namespace ostrel
