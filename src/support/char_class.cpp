#include "support/char_class.hpp"

#include <utf8proc.h>

#include "support/utf8.hpp"

namespace ostrel {

bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool is_alphanumeric(char32_t code_point) {
  switch (utf8proc_category(static_cast<utf8proc_int32_t>(code_point))) {
    case UTF8PROC_CATEGORY_LU:
    case UTF8PROC_CATEGORY_LL:
    case UTF8PROC_CATEGORY_LT:
    case UTF8PROC_CATEGORY_LM:
    case UTF8PROC_CATEGORY_LO:
    case UTF8PROC_CATEGORY_ND:
    case UTF8PROC_CATEGORY_NL:
    case UTF8PROC_CATEGORY_NO:
      return true;
    default:
      return false;
  }
}

std::string_view trim_white_space_start(std::string_view text) {
  while (!text.empty()) {
    DecodedChar c = decode_utf8(text);
    if (!c.valid || !is_white_space(c.code_point)) break;
    text.remove_prefix(c.length);
  }
  return text;
}

std::string_view trim_white_space_end(std::string_view text) {
  std::size_t end = 0;
  for (std::size_t position = 0; position < text.size();) {
    DecodedChar c = decode_utf8(text.substr(position));
    position += c.length;
    if (!c.valid || !is_white_space(c.code_point)) end = position;
  }
  return text.substr(0, end);
}

}  // namespace ostrel
