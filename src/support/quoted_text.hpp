#pragma once
// The quoted debug form of a text, as the syntax-tree print shows names and strings: double
// quotes around, backslash escapes for \\ \" \t \r \n \0, and \u{hex} for characters that would
// not show (controls, format and private-use characters, unassigned code points, separators other
// than the space) or that would merge with the character before them (combining marks).
#include <string>
#include <string_view>

namespace ostrel {

std::string quoted_text(std::string_view text);

}  // namespace ostrel
