#include "support/read_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <utf8proc.h>

namespace ostrel {

std::string os_error_text(int error_number) {
  return std::string(std::strerror(error_number)) + " (os error " + std::to_string(error_number) + ")";
}

bool is_valid_utf8(std::string_view text) {
  auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
  utf8proc_ssize_t remaining = static_cast<utf8proc_ssize_t>(text.size());
  while (remaining > 0) {
    utf8proc_int32_t code_point;
    utf8proc_ssize_t length = utf8proc_iterate(bytes, remaining, &code_point);
    if (length <= 0) return false;
    bytes += length;
    remaining -= length;
  }
  return true;
}

Result<std::string> read_file_bytes(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Error{os_error_text(errno)};
  std::string content;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      int saved = errno;
      ::close(fd);
      return Error{os_error_text(saved)};
    }
    content.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return content;
}

Result<std::string> read_text_file(const std::string& path) {
  auto content = read_file_bytes(path);
  if (content && !is_valid_utf8(content.value())) return Error{kInvalidUtf8};
  return content;
}

}  // namespace ostrel
