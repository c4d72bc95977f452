#pragma once
// Trimming by Unicode white space (the White_Space property), not only ASCII blanks.
#include <string_view>

namespace ostrel {

bool is_unicode_space(char32_t code_point);

// `text` without white space at its end; bytes that are not valid UTF-8 are kept as they are.
std::string_view trim_end_unicode_space(std::string_view text);

// `text` without white space at either end.
std::string_view trim_unicode_space(std::string_view text);

}  // namespace ostrel
