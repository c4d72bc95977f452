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

namespace {

bool is_continuation_byte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The length of the white-space character that ends `text`, or 0 when another character, a
// malformed byte or nothing ends it. A character is found from its last byte by stepping back
// over at most three continuation bytes to the byte that starts it.
std::size_t trailing_white_space_length(std::string_view text) {
  std::size_t start = text.size();
  while (start > 0 && text.size() - start < 4) {
    --start;
    if (!is_continuation_byte(text[start])) break;
  }
  if (start == text.size()) return 0;
  DecodedChar c = decode_utf8(text.substr(start));
  bool ends_text = start + c.length == text.size();
  return c.valid && ends_text && is_white_space(c.code_point) ? c.length : 0;
}

}  // namespace

// From the end, so that trimming a long text that ends in a short tail costs only the tail (the
// interactive loop trims its whole pending input after every line).
std::string_view trim_white_space_end(std::string_view text) {
  while (std::size_t length = trailing_white_space_length(text)) text.remove_suffix(length);
  return text;
}

}  // namespace ostrel
