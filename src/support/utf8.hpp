#pragma once
// Stepping through UTF-8 text one code point at a time, tolerating malformed bytes.
#include <cstddef>
#include <string_view>

namespace ostrel {

struct DecodedChar {
  char32_t code_point;  // U+FFFD when `valid` is false
  std::size_t length;   // bytes consumed: 1 for a malformed byte
  bool valid;
};

// Decodes the character at the start of non-empty `text`.
DecodedChar decode_utf8(std::string_view text);

}  // namespace ostrel
