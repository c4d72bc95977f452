#include "support/utf8_scan.hpp"

#include <utf8proc.h>

namespace ostrel {

std::size_t utf8_character_length(std::string_view text) {
  if (text.empty()) return 0;
  utf8proc_int32_t code_point;
  utf8proc_ssize_t length = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                                             static_cast<utf8proc_ssize_t>(text.size()), &code_point);
  return length > 0 ? static_cast<std::size_t>(length) : 0;
}

std::size_t first_invalid_utf8(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t length = utf8_character_length(text.substr(at));
    if (length == 0) return at;
    at += length;
  }
  return std::string_view::npos;
}

}  // namespace ostrel
