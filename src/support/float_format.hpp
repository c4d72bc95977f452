#pragma once
// Text forms of doubles: shortest round-trip digits, laid out two ways.
#include <string>

namespace ostrel {

// Run-time display: positional, never an exponent ("1", "2.5", "0.0000001", "NaN", "-inf").
std::string float_display(double value);

// Syntax-tree print: positional with ".0" between 1e-4 and 1e16, exponent form outside
// ("3.0", "1e16", "1.5e-5", "-0.0").
std::string float_debug(double value);

}  // namespace ostrel
