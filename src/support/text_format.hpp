#pragma once
// Text forms that several outputs share: doubles as shortest round-trip digits laid out two ways,
// and the quoted debug form of a text.
#include <string>
#include <string_view>

namespace ostrel {

// Run-time display: positional, never an exponent ("1", "2.5", "0.0000001", "NaN", "-inf").
std::string float_display(double value);

// Syntax-tree print: positional with ".0" between 1e-4 and 1e16, exponent form outside
// ("3.0", "1e16", "1.5e-5", "-0.0").
std::string float_debug(double value);

// The quoted debug form of a text, as the syntax-tree print shows names and strings: double
// quotes around, backslash escapes for \\ \" \t \r \n \0, and \u{hex} for characters that would
// not show (controls, format and private-use characters, unassigned code points, separators other
// than the space) or that would merge with the character before them (combining marks).
std::string quoted_text(std::string_view text);

}  // namespace ostrel
