// The entry point: start-up in a fixed order, then one subcommand.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <variant>

#include "main/cli.hpp"
#include "main/commands.hpp"
#include "main/version.hpp"
#include "repl/repl.hpp"
#include "support/big_stack.hpp"
#include "support/process_environment.hpp"

namespace {

// A closed standard stream would let the next file or pipe we open take its number, so that
// output meant for the terminal lands in it.
void reopen_closed_standard_streams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    int opened = open("/dev/null", O_RDWR);
    if (opened >= 0 && opened != fd) {
      dup2(opened, fd);
      close(opened);
    }
  }
}

int dispatch(const ostrel::cli::Command& command) {
  using ostrel::cli::Subcommand;
  switch (command.subcommand) {
    case Subcommand::Run: return ostrel::run_file(command.argument);
    case Subcommand::Parse: return ostrel::parse_file(command.argument);
    case Subcommand::Eval: return ostrel::eval_text(command.argument);
    case Subcommand::Repl: return ostrel::run_repl(ostrel::kVersion);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  reopen_closed_standard_streams();
  // Writes to a closed pipe fail with EPIPE instead of killing the process; child processes
  // started later get the default disposition back.
  std::signal(SIGPIPE, SIG_IGN);
  // An ignored SIGCHLD, inherited from whoever started us, would have the kernel reap the
  // programs we run before we can read how they ended.
  std::signal(SIGCHLD, SIG_DFL);
  ostrel::dotenv::load(".env");  // silent: a missing or broken .env never stops the program

  auto command_line = ostrel::cli::read_command_line(argc, argv);
  if (const int* exit_status = std::get_if<int>(&command_line)) return *exit_status;
  const auto& command = std::get<ostrel::cli::Command>(command_line);
  return ostrel::run_on_big_stack([&] { return dispatch(command); });
}
