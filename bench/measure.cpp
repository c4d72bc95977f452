// Runs one or more commands in alternation, ROUNDS times each, and prints for every command the
// median wall-clock time and the largest peak resident set size of its runs. Alternating the
// commands spreads the noise of a shared machine evenly over them. Peak memory comes from wait4()'s
// rusage of each child, so it is the command's own, not the shell's.
//
//   measure [-c] [-t SECONDS] [-m MEGABYTES] ROUNDS CMD ARGS... [--- CMD ARGS...]...
//
//   -c  check that every command prints the same standard output (exit 3 and say so otherwise)
//   -t  kill a run that takes longer than SECONDS
//   -m  limit each run's address space to MEGABYTES, so a run that grows too much fails instead
//       of pushing the rest of the machine into swap
//
// Output, one line per command: "SECONDS PEAK_KB STATUS", STATUS being "ok", "timeout",
// "signal-N" or "status-N" for the first run that did not end well.
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Options {
  bool check_output = false;
  double timeout_seconds = 0;
  long limit_megabytes = 0;
  int rounds = 0;
  std::vector<std::vector<char*>> commands;
};

struct Run {
  double seconds = 0;
  long peak_kb = 0;
  std::string status = "ok";
  std::string output;
};

volatile sig_atomic_t timed_out = 0;
void on_alarm(int) { timed_out = 1; }

[[noreturn]] void usage() {
  std::fputs("usage: measure [-c] [-t SECONDS] [-m MEGABYTES] ROUNDS CMD ARGS... [--- CMD ARGS...]...\n",
             stderr);
  std::exit(2);
}

Options parse_options(int argc, char** argv) {
  Options options;
  int at = 1;
  for (; at < argc && argv[at][0] == '-'; ++at) {
    std::string flag = argv[at];
    if (flag == "-c") {
      options.check_output = true;
    } else if (flag == "-t" && at + 1 < argc) {
      options.timeout_seconds = std::atof(argv[++at]);
    } else if (flag == "-m" && at + 1 < argc) {
      options.limit_megabytes = std::atol(argv[++at]);
    } else {
      usage();
    }
  }
  if (at >= argc) usage();
  options.rounds = std::atoi(argv[at++]);
  options.commands.emplace_back();
  for (; at < argc; ++at) {
    if (std::strcmp(argv[at], "---") == 0) {
      options.commands.emplace_back();
    } else {
      options.commands.back().push_back(argv[at]);
    }
  }
  for (auto& command : options.commands) {
    if (command.empty()) usage();
    command.push_back(nullptr);
  }
  if (options.rounds < 1) usage();
  return options;
}

[[noreturn]] void exec_child(const Options& options, std::vector<char*>& command, int out_fd) {
  dup2(out_fd, STDOUT_FILENO);
  close(out_fd);
  if (options.limit_megabytes > 0) {
    rlim_t bytes = static_cast<rlim_t>(options.limit_megabytes) << 20;
    rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_AS, &limit);
  }
  execvp(command[0], command.data());
  std::fprintf(stderr, "measure: cannot run %s: %s\n", command[0], std::strerror(errno));
  _exit(127);
}

// Reads the child's output until it closes it; the alarm interrupts the read on a timeout.
std::string read_all(int fd, pid_t child) {
  std::string text;
  char buffer[65536];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) {
      text.append(buffer, static_cast<size_t>(got));
    } else if (got < 0 && errno == EINTR) {
      if (timed_out) kill(child, SIGKILL);
    } else {
      return text;
    }
  }
}

Run run_once(const Options& options, std::vector<char*>& command) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) {
    std::perror("measure: pipe");
    std::exit(1);
  }
  Run run;
  auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child < 0) {
    std::perror("measure: fork");
    std::exit(1);
  }
  if (child == 0) {
    close(pipe_fds[0]);
    exec_child(options, command, pipe_fds[1]);
  }
  close(pipe_fds[1]);
  timed_out = 0;
  if (options.timeout_seconds > 0) {
    itimerval timer{};
    timer.it_value.tv_sec = static_cast<time_t>(options.timeout_seconds);
    timer.it_value.tv_usec =
        static_cast<suseconds_t>((options.timeout_seconds - static_cast<double>(timer.it_value.tv_sec)) * 1e6);
    setitimer(ITIMER_REAL, &timer, nullptr);
  }
  run.output = read_all(pipe_fds[0], child);
  close(pipe_fds[0]);
  int status = 0;
  rusage usage{};
  while (wait4(child, &status, 0, &usage) < 0) {
    if (errno != EINTR) break;
    if (timed_out) kill(child, SIGKILL);
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  itimerval off{};
  setitimer(ITIMER_REAL, &off, nullptr);
  run.peak_kb = usage.ru_maxrss;
  if (timed_out) {
    run.status = "timeout";
  } else if (WIFSIGNALED(status)) {
    run.status = "signal-" + std::to_string(WTERMSIG(status));
  } else if (WEXITSTATUS(status) != 0) {
    run.status = "status-" + std::to_string(WEXITSTATUS(status));
  }
  return run;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options options = parse_options(argc, argv);
  struct sigaction action{};
  action.sa_handler = on_alarm;  // no SA_RESTART: the blocked read must return
  sigaction(SIGALRM, &action, nullptr);

  size_t count = options.commands.size();
  std::vector<std::vector<double>> times(count);
  std::vector<long> peaks(count, 0);
  std::vector<std::string> statuses(count, "ok");
  std::vector<std::string> outputs(count);
  for (int round = 0; round < options.rounds; ++round) {
    for (size_t i = 0; i < count; ++i) {
      if (statuses[i] != "ok") continue;  // a failed command is not run again
      Run run = run_once(options, options.commands[i]);
      times[i].push_back(run.seconds);
      peaks[i] = std::max(peaks[i], run.peak_kb);
      statuses[i] = run.status;
      if (round == 0) outputs[i] = run.output;
    }
  }
  int exit_status = 0;
  for (size_t i = 0; i < count; ++i) {
    std::printf("%.6f %ld %s\n", median(times[i]), peaks[i], statuses[i].c_str());
    if (options.check_output && statuses[i] == "ok" && statuses[0] == "ok" && outputs[i] != outputs[0]) {
      std::fprintf(stderr, "measure: %s printed something else than %s:\n%s---\n%s", options.commands[i][0],
                   options.commands[0][0], outputs[i].c_str(), outputs[0].c_str());
      exit_status = 3;
    }
  }
  return exit_status;
}
