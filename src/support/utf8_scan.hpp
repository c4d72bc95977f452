#pragma once
// Finding where text stops being well-formed UTF-8.
#include <cstddef>
#include <string_view>

namespace ostrel {

// The offset of the first byte that is not part of a well-formed character, or npos.
std::size_t first_invalid_utf8(std::string_view text);

// Whether `text` is well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF).
inline bool is_valid_utf8(std::string_view text) { return first_invalid_utf8(text) == std::string_view::npos; }

}  // namespace ostrel
