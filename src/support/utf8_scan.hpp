#pragma once
// Walking UTF-8 text that may be malformed, one character (or one stray byte) at a time.
#include <cstddef>
#include <string_view>

namespace ostrel {

// The length in bytes of the well-formed character at the start of `text`, or 0 when `text` does
// not start with one (an empty text included).
std::size_t utf8_character_length(std::string_view text);

// The offset of the first byte that is not part of a well-formed character, or npos.
std::size_t first_invalid_utf8(std::string_view text);

}  // namespace ostrel
