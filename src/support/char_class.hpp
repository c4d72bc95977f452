#pragma once
// Character classes over whole Unicode, for formats that treat any script's spaces and letters
// alike.
#include <string_view>

namespace ostrel {

// The Unicode White_Space property: ASCII blanks and line breaks, NEL, no-break and other spaces,
// the line and paragraph separators.
bool is_white_space(char32_t code_point);

// Letters and digits of any script (general categories L and N).
bool is_alphanumeric(char32_t code_point);

std::string_view trim_white_space_start(std::string_view text);
std::string_view trim_white_space_end(std::string_view text);

}  // namespace ostrel
