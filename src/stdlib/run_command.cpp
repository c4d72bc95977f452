#include "stdlib/run_command.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>

#include "support/io.hpp"
#include "support/os_error.hpp"

extern char** environ;

namespace ostrel::stdlib {
namespace {

using Lines = std::vector<std::string>;

struct Pipe {
  UniqueFd read_end;
  UniqueFd write_end;
};

// Both ends close on exec, so no other child ever holds them open.
Result<Pipe> open_pipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return Error{os_error_text(errno)};
  return Pipe{UniqueFd(fds[0]), UniqueFd(fds[1])};
}

std::string command_text(const std::string& program, const Lines& arguments) {
  std::string text = program + " ";
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) text += ' ';
    text += arguments[i];
  }
  return text;
}

Value command_result(bool success, std::string output, int64_t code, std::string command) {
  return Value::dict({{Value::string("success"), Value::boolean(success)},
                      {Value::string("output"), Value::string(std::move(output))},
                      {Value::string("code"), Value::integer(code)},
                      {Value::string("command"), Value::string(std::move(command))}});
}

Value start_failure(const std::string& reason, std::string command) {
  return command_result(false, "failed to execute: " + reason, -1, std::move(command));
}

// A C string would silently end at the NUL and run something other than what was asked.
bool holds_nul(const std::string& program, const Lines& arguments) {
  if (program.find('\0') != std::string::npos) return true;
  for (const std::string& argument : arguments) {
    if (argument.find('\0') != std::string::npos) return true;
  }
  return false;
}

// The interpreter ignores SIGPIPE; the child gets the default back, and an empty signal mask.
int prepare_attributes(posix_spawnattr_t& attributes) {
  sigset_t default_signals;
  sigemptyset(&default_signals);
  sigaddset(&default_signals, SIGPIPE);
  sigset_t empty_mask;
  sigemptyset(&empty_mask);
  int error = posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  if (error == 0) error = posix_spawnattr_setsigdefault(&attributes, &default_signals);
  if (error == 0) error = posix_spawnattr_setsigmask(&attributes, &empty_mask);
  return error;
}

// Starts the program with standard input inherited and its two output streams on the given
// pipe ends. Gives the process id, or the error number.
Result<pid_t> spawn(const std::string& program, const Lines& arguments, int stdout_fd, int stderr_fd) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  int error = posix_spawn_file_actions_adddup2(&actions, stdout_fd, STDOUT_FILENO);
  if (error == 0) error = posix_spawn_file_actions_adddup2(&actions, stderr_fd, STDERR_FILENO);
  if (error == 0) error = prepare_attributes(attributes);
  pid_t pid = -1;
  if (error == 0) error = posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return Error{os_error_text(error)};
  return pid;
}

// The next line of a program's output stream, without its "\n" or "\r\n". No value at the end
// of the stream, after a read error, or at a line that is not valid UTF-8: the caller stops
// reading that stream there and never looks at the rest.
std::optional<std::string> next_output_line(LineReader& reader) {
  std::string line;
  Result<bool> read = reader.read_line(line);
  if (!read || !read.value()) return std::nullopt;
  if (!line.empty() && line.back() == '\n') {
    line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  return line;
}

// Lines of one stream kept as the text they make joined with "\n": one string, rather than one
// per line on top of it. Lines never hold "\n", so the count tells an empty line from none.
struct JoinedLines {
  std::string text;
  size_t count = 0;

  void add(std::string_view line) {
    if (count++ > 0) text += '\n';
    text += line;
  }
  // Calls `visit` with each line in order.
  template <class Visit>
  void for_each(Visit visit) const {
    size_t start = 0;
    for (size_t i = 0; i < count; ++i) {
      size_t end = i + 1 < count ? text.find('\n', start) : text.size();
      visit(std::string_view(text).substr(start, end - start));
      start = end + 1;
    }
  }
};

// Runs on the error reader thread: it owns the pipe end and touches nothing else.
JoinedLines read_all_lines(UniqueFd fd) noexcept {
  JoinedLines lines;
  try {
    LineReader reader(fd.get());
    while (std::optional<std::string> line = next_output_line(reader)) lines.add(*line);
  } catch (...) {
    lines = JoinedLines();  // a reader that failed counts as having read nothing
  }
  return lines;
}

// Ends the reading of both streams however the call ends, also when memory runs out while lines
// are kept. Standard output is closed first, so that a child blocked on a full pipe gets an error
// instead of keeping the error reader, and with it this call, waiting for ever.
class StopReading {
 public:
  StopReading(UniqueFd& output, std::thread& error_reader) : output_(output), error_reader_(error_reader) {}
  StopReading(const StopReading&) = delete;
  StopReading& operator=(const StopReading&) = delete;
  ~StopReading() { now(); }

  void now() {
    output_.reset();
    if (error_reader_.joinable()) error_reader_.join();
  }

 private:
  UniqueFd& output_;
  std::thread& error_reader_;
};

// The exit code 0 to 255, or -1 for a signal or a failed wait.
int64_t wait_for_exit(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

Value run_command(const std::string& program, const std::vector<std::string>& arguments, OutputSink& output) {
  std::string command = command_text(program, arguments);
  if (holds_nul(program, arguments)) return start_failure("nul byte found in provided data", std::move(command));
  Result<Pipe> stdout_pipe = open_pipe();
  if (!stdout_pipe) return start_failure(stdout_pipe.error(), std::move(command));
  Result<Pipe> stderr_pipe = open_pipe();
  if (!stderr_pipe) return start_failure(stderr_pipe.error(), std::move(command));

  // The error reader starts first, so that a thread that cannot be created leaves no program
  // running unattended; a child that fills its error pipe can then never block.
  JoinedLines error_lines;
  std::thread error_reader;
  try {
    error_reader = std::thread([&error_lines, fd = std::move(stderr_pipe->read_end)]() mutable {
      error_lines = read_all_lines(std::move(fd));
    });
  } catch (const std::system_error& failure) {
    return start_failure(os_error_text(failure.code().value()), std::move(command));
  }

  StopReading stop_reading(stdout_pipe->read_end, error_reader);
  // Only the child may hold the write ends, or reading would never see the end of the streams;
  // held here, after the guard, they are closed before it waits, whatever happens.
  UniqueFd stdout_write = std::move(stdout_pipe->write_end);
  UniqueFd stderr_write = std::move(stderr_pipe->write_end);
  Result<pid_t> child = spawn(program, arguments, stdout_write.get(), stderr_write.get());
  stdout_write.reset();
  stderr_write.reset();
  if (!child) return start_failure(child.error(), std::move(command));

  JoinedLines output_lines;
  LineReader reader(stdout_pipe->read_end.get());
  while (std::optional<std::string> line = next_output_line(reader)) {
    output.write_line(*line);
    output_lines.add(*line);
    // What the program has said is shown before waiting for more, so that a long-running one
    // shows its progress even through a pipe.
    if (!reader.holds_line()) output.flush();
  }
  stop_reading.now();
  error_lines.for_each([&](std::string_view line) {
    output.write_line(line);
    output_lines.add(line);
  });
  error_lines = JoinedLines();

  output.flush();
  int64_t code = wait_for_exit(*child);
  return command_result(code == 0, std::move(output_lines.text), code, std::move(command));
}

}  // namespace ostrel::stdlib
