#include "main/run_source.hpp"

#include <cstdio>

namespace ostrel {

int run_source(std::string_view) {
  std::fputs("ostrel: running programs is not available in this build\n", stderr);
  return 1;
}

}  // namespace ostrel
