#pragma once
// The values that literal texts stand for. The error texts are the reasons shown after
// "invalid int: " and "invalid float: ".
#include <cstdint>
#include <string>
#include <string_view>

#include "support/result.hpp"

namespace ostrel {

// An optional sign and decimal digits, as a signed 64-bit integer.
Result<std::int64_t> read_integer(std::string_view text);

// A decimal floating-point text, correctly rounded; values beyond the finite range become infinite.
Result<double> read_float(std::string_view text);

// The text between the quotes of a string literal with its escape sequences resolved; a backslash
// before any other character (or at the very end) stays as written.
std::string string_literal_value(std::string_view literal_text);

}  // namespace ostrel
