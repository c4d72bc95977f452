#pragma once
// The interactive loop on standard input and output; the banner names `version`. Returns the exit
// status (always 0).
#include <string_view>

namespace ostrel {

int run_repl(std::string_view version);

}  // namespace ostrel
