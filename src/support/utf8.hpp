#pragma once
// Stepping through UTF-8 text one code point at a time, tolerating malformed bytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace ostrel {

struct DecodedChar {
  char32_t code_point;  // U+FFFD when `valid` is false
  std::size_t length;   // bytes consumed; for malformed input the maximal ill-formed prefix (at least 1)
  bool valid;
};

// Decodes the character at the start of non-empty `text`.
DecodedChar decode_utf8(std::string_view text);

// `bytes` with every maximal ill-formed sequence replaced by U+FFFD.
std::string utf8_lossy(std::string_view bytes);

}  // namespace ostrel
