#pragma once
// Runs one complete source text (`run` and `eval`): printed lines, then the final value on
// standard output, or one error on standard error. Returns the exit status.
#include <string_view>

namespace ostrel {

int run_source(std::string_view source);

}  // namespace ostrel
