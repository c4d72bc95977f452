#pragma once
// The interactive loop on standard input and output. Returns the exit status (always 0).

namespace ostrel {

int run_repl();

}  // namespace ostrel
