#include <cstdio>

int main() {
  std::fputs("ostrel: the command line is not available in this build\n", stderr);
  return 1;
}
