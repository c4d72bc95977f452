#include "repl/repl.hpp"

#include <cstdio>

namespace ostrel {

int run_repl() {
  std::fputs("ostrel: the interactive loop is not available in this build\n", stderr);
  return 1;
}

}  // namespace ostrel
