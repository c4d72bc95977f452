// Temporary entry point until the real command line lands: ostrel run|parse|eval|repl ARG.
#include <cstdio>
#include <cstring>
#include <string>

#include "main/commands.hpp"
#include "repl/repl.hpp"
#include "support/big_stack.hpp"

int main(int argc, char** argv) {
  return ostrel::run_on_big_stack([&] {
    if (argc == 3 && std::strcmp(argv[1], "run") == 0) return ostrel::run_file(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "parse") == 0) return ostrel::parse_file(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "eval") == 0) return ostrel::eval_text(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "repl") == 0) return ostrel::run_repl();
    std::fputs("usage: ostrel run|parse FILE, ostrel eval TEXT, ostrel repl\n", stderr);
    return 2;
  });
}
