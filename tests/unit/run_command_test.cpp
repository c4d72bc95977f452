// Running programs: streaming, line splitting, exit codes, start failures and signals.
#include "stdlib/run_command.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <filesystem>

#include "stdlib_test_support.hpp"

namespace ostrel::test {
namespace {

using stdlib::run_command;

class RunCommand : public StdlibTest {
 protected:
  Value shell(const std::string& line) { return run_command("sh", {"-c", line}, sink_); }
  std::vector<std::string> lines() { return sink_.lines(); }
};

TEST_F(RunCommand, StandardErrorFollowsStandardOutput) {
  Value result = shell("printf 'a\\r\\n'; printf 'e\\n' >&2; printf 'b\\n'");
  EXPECT_EQ(lines(), (std::vector<std::string>{"a", "b", "e"}));
  EXPECT_EQ(result.display(), "{success: True, output: a\nb\ne, code: 0, command: sh -c printf 'a\\r\\n'; "
                              "printf 'e\\n' >&2; printf 'b\\n'}");
}

TEST_F(RunCommand, LineEndings) {
  EXPECT_EQ(field(shell("printf x"), "output").as_string(), "x");
  EXPECT_EQ(field(shell("printf 'x\\r'"), "output").as_string(), "x\r");
  EXPECT_EQ(field(shell("printf 'a\\rb\\r\\r\\n'"), "output").as_string(), "a\rb\r");
  EXPECT_EQ(field(shell("printf '\\n\\n'"), "output").as_string(), "\n");
  EXPECT_EQ(lines(), (std::vector<std::string>{"x", "x\r", "a\rb\r", "", ""}));
}

TEST_F(RunCommand, LinesLongerThanTheBuffer) {
  Value result = shell("head -c 20000 /dev/zero | tr '\\0' a; echo; echo end");
  EXPECT_EQ(field(result, "output").as_string(), std::string(20000, 'a') + "\nend");
  EXPECT_EQ(sink_.line_count(), 2u);
}

TEST_F(RunCommand, ExitCodes) {
  EXPECT_EQ(shell("exit 3").display(), "{success: False, output: , code: 3, command: sh -c exit 3}");
  EXPECT_EQ(field(shell("exit 255"), "code").as_int(), 255);
  Value killed = shell("echo before; kill -TERM $$");
  EXPECT_EQ(field(killed, "success").display(), "False");
  EXPECT_EQ(field(killed, "code").as_int(), -1);
  EXPECT_EQ(field(killed, "output").as_string(), "before");
}

TEST_F(RunCommand, InvalidUtf8EndsOnlyThatStream) {
  Value result = shell("printf 'ok\\n\\377bad\\nafter\\n'; printf 'e1\\ne2\\n' >&2");
  EXPECT_EQ(lines(), (std::vector<std::string>{"ok", "e1", "e2"}));
  EXPECT_EQ(field(result, "output").as_string(), "ok\ne1\ne2");
  EXPECT_EQ(field(result, "code").as_int(), 0);
  EXPECT_EQ(field(shell("printf 'fine\\n\\303'"), "output").as_string(), "fine");
}

TEST_F(RunCommand, StartFailures) {
  Value missing = run_command("ostrel-no-such-program", {"a"}, sink_);
  EXPECT_EQ(missing.display(), "{success: False, output: failed to execute: No such file or directory (os error 2), "
                               "code: -1, command: ostrel-no-such-program a}");
  write_whole(dir_ / "plain", "#!/bin/sh\necho hi\n");
  Value not_executable = run_command((dir_ / "plain").string(), {}, sink_);
  EXPECT_EQ(field(not_executable, "output").as_string(), "failed to execute: Permission denied (os error 13)");
  EXPECT_TRUE(sink_.is_empty());
}

TEST_F(RunCommand, NulBytesRunNothing) {
  Value in_argument = run_command("touch", {"marker\0x"s}, sink_);
  EXPECT_EQ(field(in_argument, "output").as_string(), "failed to execute: nul byte found in provided data");
  EXPECT_EQ(field(in_argument, "code").as_int(), -1);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "marker"));
  Value in_program = run_command("touch\0 x"s, {"marker"}, sink_);
  EXPECT_EQ(field(in_program, "output").as_string(), "failed to execute: nul byte found in provided data");
  EXPECT_EQ(field(in_program, "command").as_string(), "touch\0 x marker"s);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "marker"));
}

// Lines reach the sink while the program still runs: it waits for the sink to see its first line.
class FlagSink final : public OutputSink {
 public:
  explicit FlagSink(std::filesystem::path flag) : flag_(std::move(flag)) {}
  void write_line(std::string_view text) override {
    lines.emplace_back(text);
    count_line();
    write_whole(flag_, "seen");
  }
  std::vector<std::string> lines;

 private:
  std::filesystem::path flag_;
};

TEST_F(RunCommand, OutputIsStreamedLineByLine) {
  FlagSink sink(dir_ / "flag");
  Value result = run_command(
      "sh", {"-c", "echo first; for i in $(seq 100); do [ -e flag ] && { echo second; exit 0; }; sleep 0.05; done; echo late"},
      sink);
  EXPECT_EQ(sink.lines, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(field(result, "code").as_int(), 0);
}

TEST_F(RunCommand, MuchStandardErrorDoesNotBlock) {
  Value result = shell("yes error | head -n 200000 >&2; echo out");
  ASSERT_EQ(sink_.line_count(), 200001u);
  EXPECT_EQ(lines().front(), "out");
  EXPECT_EQ(lines().back(), "error");
  std::string output = field(result, "output").as_string();
  EXPECT_EQ(output.size(), 3 + 200000 * 6);
  EXPECT_EQ(output.substr(0, 10), "out\nerror\n");
}

TEST_F(RunCommand, ChildGetsDefaultSigpipeAndEmptyMask) {
  struct sigaction ignore {}, previous{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &previous);
  sigset_t blocked, old_mask;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &blocked, &old_mask);

  Value mask = shell("grep SigBlk /proc/self/status");
  // Reading stops at the bad line and closes the pipe: `yes` must die of SIGPIPE, not loop on EPIPE.
  Value writer = shell("printf '\\377\\n'; exec yes");

  pthread_sigmask(SIG_SETMASK, &old_mask, nullptr);
  sigaction(SIGPIPE, &previous, nullptr);
  EXPECT_EQ(field(mask, "output").as_string(), "SigBlk:\t0000000000000000");
  EXPECT_EQ(writer.display(), "{success: False, output: , code: -1, command: sh -c printf '\\377\\n'; exec yes}");
}

TEST_F(RunCommand, StandardInputIsInherited) {
  write_whole(dir_ / "input", "from stdin\n");
  int saved = dup(STDIN_FILENO);
  int input = open((dir_ / "input").c_str(), O_RDONLY);
  dup2(input, STDIN_FILENO);
  Value result = run_command("cat", {}, sink_);
  dup2(saved, STDIN_FILENO);
  close(input);
  close(saved);
  EXPECT_EQ(result.display(), "{success: True, output: from stdin, code: 0, command: cat }");
}

// Our pipe ends are closed on exec: the child holds its three standard streams and nothing else
// (ls itself opens the directory it lists, as descriptor 3).
TEST_F(RunCommand, ChildHoldsOnlyItsStandardStreams) {
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    int fd = std::stoi(entry.path().filename().string());
    if (fd > 2) fcntl(fd, F_SETFD, FD_CLOEXEC);  // descriptors this test process inherited
  }
  EXPECT_EQ(field(run_command("ls", {"/proc/self/fd"}, sink_), "output").as_string(), "0\n1\n2\n3");
}

// A signal whose handler does not ask for restarting interrupts reads and waits: each is repeated,
// and no line is lost.
TEST_F(RunCommand, InterruptedReadsAndWaitAreRepeated) {
  struct sigaction tick {}, previous{};
  tick.sa_handler = [](int) {};
  sigaction(SIGALRM, &tick, &previous);
  itimerval every_millisecond{{0, 1000}, {0, 1000}};
  setitimer(ITIMER_REAL, &every_millisecond, nullptr);

  Value result = shell("echo one; sleep 0.1; echo two >&2; sleep 0.1; echo three");

  itimerval off{};
  setitimer(ITIMER_REAL, &off, nullptr);
  sigaction(SIGALRM, &previous, nullptr);
  EXPECT_EQ(result.display(), "{success: True, output: one\nthree\ntwo, code: 0, command: sh -c echo one; sleep 0.1; "
                              "echo two >&2; sleep 0.1; echo three}");
}

}  // namespace
}  // namespace ostrel::test
