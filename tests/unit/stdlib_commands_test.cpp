// The package, service and system modules against fake programs that record their arguments.
#include "stdlib_test_support.hpp"

namespace ostrel::test {
namespace {

using Commands = StdlibTest;

// What the fakes log for a command text whose words hold no spaces: sudo logs itself and then
// the program it runs logs again.
std::string expected_log(const std::string& command) {
  std::istringstream words(command);
  std::string program, word, arguments;
  words >> program;
  while (words >> word) arguments += " [" + word + "]";
  std::string line = program + arguments + "\n";
  if (program != "sudo") return line;
  size_t end = arguments.find(']');
  return line + arguments.substr(2, end - 2) + arguments.substr(end + 1) + "\n";
}

TEST_F(Commands, EveryMemberRunsItsCommandLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"pacman.install", "sudo pacman -S --noconfirm vim"},  {"pacman.remove", "sudo pacman -R --noconfirm vim"},
      {"pacman.update", "sudo pacman -Syu --noconfirm"},     {"pacman.clean", "sudo pacman -Scc --noconfirm"},
      {"pacman.search", "pacman -Ss vim"},                   {"pacman.info", "pacman -Qi vim"},
      {"pacman.list", "pacman -Q"},                          {"aur.install", "yay -S --noconfirm vim"},
      {"aur.search", "yay -Ss vim"},                         {"aur.info", "yay -Qi vim"},
      {"aur.update", "yay -Sua --noconfirm"},                {"systemd.start", "sudo systemctl start sshd"},
      {"systemd.stop", "sudo systemctl stop sshd"},          {"systemd.restart", "sudo systemctl restart sshd"},
      {"systemd.enable", "sudo systemctl enable sshd"},      {"systemd.disable", "sudo systemctl disable sshd"},
      {"systemd.status", "systemctl status sshd"},
  };
  install_fakes();
  setenv("FAKE_SCRIPT", "echo done", 1);
  for (const auto& [member, command] : cases) {
    std::filesystem::remove(dir_ / "log");
    std::string text = command;
    std::string operand = text.substr(text.rfind(' ') + 1);
    ValueList arguments;
    if (operand == "vim" || operand == "sshd") arguments.push_back(Value::string(operand));
    Value result = ok(member, arguments);
    EXPECT_EQ(result.display(), "{success: True, output: done, code: 0, command: " + text + "}");
    EXPECT_EQ(log(), expected_log(text)) << member;
  }
  EXPECT_EQ(sink_.line_count(), std::size(cases));
}

TEST_F(Commands, TextArgumentsStayOneArgument) {
  install_fakes();
  ok("pacman.install", {text("vim git")});
  ok("pacman.search", {text("")});
  Value result = ok("aur.search", {text("vim -h")});
  EXPECT_EQ(field(result, "command").display(), "yay -Ss vim -h");
  EXPECT_EQ(log(),
            "sudo [pacman] [-S] [--noconfirm] [vim git]\n"
            "pacman [-S] [--noconfirm] [vim git]\n"
            "pacman [-Ss] []\n"
            "yay [-Ss] [vim -h]\n");
  EXPECT_EQ(field(ok("pacman.search", {text("")}), "command").display(), "pacman -Ss ");
}

TEST_F(Commands, PackageNamesAndQueriesMustNotLookLikeOptions) {
  install_fakes();
  EXPECT_EQ(error("pacman.install", {text("-u")}), "pacman.install() argument 1 must not begin with '-', got -u");
  EXPECT_EQ(error("pacman.remove", {text("--cascade")}),
            "pacman.remove() argument 1 must not begin with '-', got --cascade");
  EXPECT_EQ(error("pacman.info", {text("-")}), "pacman.info() argument 1 must not begin with '-', got -");
  EXPECT_EQ(error("aur.install", {text("-Syu")}), "aur.install() argument 1 must not begin with '-', got -Syu");
  EXPECT_EQ(error("aur.info", {text("-x y")}), "aur.info() argument 1 must not begin with '-', got -x y");
  EXPECT_EQ(error("pacman.search", {text("--sysroot=/x")}),
            "pacman.search() argument 1 must not begin with '-', got --sysroot=/x");
  EXPECT_EQ(error("aur.search", {text("-Syu")}), "aur.search() argument 1 must not begin with '-', got -Syu");
  EXPECT_EQ(log(), "");
  // A dash further in is part of a normal name.
  ok("pacman.install", {text("lib32-glibc")});
  ok("pacman.search", {text("lib32-")});
  EXPECT_EQ(log(),
            "sudo [pacman] [-S] [--noconfirm] [lib32-glibc]\n"
            "pacman [-S] [--noconfirm] [lib32-glibc]\n"
            "pacman [-Ss] [lib32-]\n");
}

// A unit may begin with a dash (the root mount is "-.mount"): it is passed after "--", so that
// systemctl never reads it as an option; other units keep the plain vector.
TEST_F(Commands, UnitsBeginningWithADashFollowDoubleDash) {
  install_fakes();
  EXPECT_EQ(field(ok("systemd.stop", {text("--force")}), "command").display(), "sudo systemctl stop -- --force");
  EXPECT_EQ(field(ok("systemd.status", {text("-.mount")}), "command").display(), "systemctl status -- -.mount");
  EXPECT_EQ(field(ok("systemd.start", {text("")}), "command").display(), "sudo systemctl start ");
  EXPECT_EQ(field(ok("systemd.enable", {text("a-b")}), "command").display(), "sudo systemctl enable a-b");
  EXPECT_EQ(log(),
            "sudo [systemctl] [stop] [--] [--force]\n"
            "systemctl [stop] [--] [--force]\n"
            "systemctl [status] [--] [-.mount]\n"
            "sudo [systemctl] [start] []\n"
            "systemctl [start] []\n"
            "sudo [systemctl] [enable] [a-b]\n"
            "systemctl [enable] [a-b]\n");
}

TEST_F(Commands, FailingProgramsGiveAResultNotAnError) {
  install_fakes();
  setenv("FAKE_SCRIPT", "echo 'error: target not found: nosuch' >&2; exit 1", 1);
  Value result = ok("pacman.install", {text("nosuch")});
  EXPECT_EQ(result.display(),
            "{success: False, output: error: target not found: nosuch, code: 1, "
            "command: sudo pacman -S --noconfirm nosuch}");
  EXPECT_EQ(ok("system.shell", {text("exit 4")}).display(), "{success: False, output: , code: 4, command: sh -c exit 4}");
}

TEST_F(Commands, MissingSudoIsAStartFailure) {
  setenv("PATH", dir_.c_str(), 1);
  Value result = ok("systemd.start", {text("sshd")});
  EXPECT_EQ(result.display(),
            "{success: False, output: failed to execute: No such file or directory (os error 2), code: -1, "
            "command: sudo systemctl start sshd}");
  EXPECT_TRUE(sink_.is_empty());
}

TEST_F(Commands, ExecConvertsNumbersAndTruthValues) {
  Value result = ok("system.exec", {text("echo"), Value::integer(1), Value::floating(2.5), Value::boolean(true),
                                    text("x y"), Value::floating(3.0), Value::integer(-5), Value::boolean(false)});
  EXPECT_EQ(field(result, "output").as_string(), "1 2.5 true x y 3 -5 false");
  EXPECT_EQ(field(result, "command").as_string(), "echo 1 2.5 true x y 3 -5 false");
  EXPECT_EQ(sink_.lines(), std::vector<std::string>{"1 2.5 true x y 3 -5 false"});
  EXPECT_EQ(field(ok("system.exec", {text("true")}), "command").as_string(), "true ");
}

TEST_F(Commands, ExecRefusesOtherKindsAndRunsNothing) {
  install_fakes();
  EXPECT_EQ(error("system.exec", {text("pacman"), Value::list({Value::integer(1)})}),
            "system.exec() argument 2 must be a string or number, got [1]");
  EXPECT_EQ(error("system.exec", {text("pacman"), text("a"), Value::none()}),
            "system.exec() argument 3 must be a string or number, got None");
  EXPECT_EQ(log(), "");
}

TEST_F(Commands, ShellGetsTheWholeLine) {
  Value result = ok("system.shell", {text("printf '%s\\n' a 'b c' | tr a-z A-Z")});
  EXPECT_EQ(field(result, "output").as_string(), "A\nB C");
  EXPECT_EQ(field(result, "command").as_string(), "sh -c printf '%s\\n' a 'b c' | tr a-z A-Z");
}

TEST_F(Commands, ProgramsSeeEnvironmentChanges) {
  ok("env.set", {text("OSTREL_TEST_A"), text("1")});
  EXPECT_EQ(field(ok("system.exec", {text("sh"), text("-c"), text("echo $OSTREL_TEST_A")}), "output").as_string(), "1");
  ok("env.remove", {text("OSTREL_TEST_A")});
  EXPECT_EQ(field(ok("system.shell", {text("echo \"[${OSTREL_TEST_A-unset}]\"")}), "output").as_string(), "[unset]");
}

}  // namespace
}  // namespace ostrel::test
