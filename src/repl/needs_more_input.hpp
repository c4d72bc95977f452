#pragma once
// Whether a typed text is an unfinished input that the next line continues.
#include <string_view>

namespace ostrel {

// True when the text ends in a colon (unless it starts with one, like a loop command) or a
// backslash, or leaves a parenthesis, square bracket or curly brace open outside string literals.
bool needs_more_input(std::string_view text);

}  // namespace ostrel
