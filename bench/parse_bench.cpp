// Parse throughput: reads one program, parses it (grammar and builders) a few times and reports
// the best rate. Built on request by parse_bench.sh, not by the project build.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "parser/parse_program.hpp"
#include "support/big_stack.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: parse_bench FILE\n", stderr);
    return 2;
  }
  std::stringstream content;
  content << std::ifstream(argv[1]).rdbuf();
  const std::string source = content.str();
  return ostrel::run_on_big_stack([&] {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
      auto start = std::chrono::steady_clock::now();
      auto tree = ostrel::parse_program(source);
      double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (!tree) {
        std::fprintf(stderr, "Parse error: %s\n", tree.error().c_str());
        return 1;
      }
      if (seconds < best) best = seconds;
    }
    double megabytes = static_cast<double>(source.size()) / 1e6;
    std::printf("%.2f MB parsed in %.3f s: %.1f MB/s\n", megabytes, best, megabytes / best);
    return 0;
  });
}
