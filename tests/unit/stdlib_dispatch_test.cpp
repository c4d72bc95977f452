// The argument rules every library member shares.
#include "stdlib_test_support.hpp"

namespace ostrel::test {
namespace {

using Dispatch = StdlibTest;

TEST_F(Dispatch, StringArgumentsAreCheckedInOrder) {
  EXPECT_EQ(error("fs.read", {}), "fs.read() missing argument 1");
  EXPECT_EQ(error("fs.write", {Value::integer(1)}), "fs.write() argument 1 must be a string, got 1");
  EXPECT_EQ(error("fs.write", {text("x")}), "fs.write() missing argument 2");
  EXPECT_EQ(error("env.set", {text("A"), Value::list({Value::integer(1), Value::integer(2)})}),
            "env.set() argument 2 must be a string, got [1, 2]");
  EXPECT_EQ(error("fs.exists", {Value::none()}), "fs.exists() argument 1 must be a string, got None");
  EXPECT_EQ(error("env.get_or", {text("HOME"), Value::integer(5)}), "env.get_or() argument 2 must be a string, got 5");
  EXPECT_EQ(error("env.load", {Value::none()}), "env.load() argument 1 must be a string, got None");
  EXPECT_EQ(error("system.exec", {Value::integer(5)}), "system.exec() argument 1 must be a string, got 5");
  EXPECT_EQ(error("system.shell", {Value::dict({{text("k"), Value::boolean(true)}})}),
            "system.shell() argument 1 must be a string, got {k: True}");
}

TEST_F(Dispatch, MembersWithoutParametersRefuseAnyArgument) {
  install_fakes();
  EXPECT_EQ(error("pacman.update", {text("now")}), "pacman.update() takes no arguments");
  EXPECT_EQ(error("pacman.clean", {Value::none()}), "pacman.clean() takes no arguments");
  EXPECT_EQ(error("pacman.list", {Value::integer(0)}), "pacman.list() takes no arguments");
  EXPECT_EQ(error("aur.update", {text("")}), "aur.update() takes no arguments");
  EXPECT_EQ(error("env.list", {text("PATH")}), "env.list() takes no arguments");
  EXPECT_EQ(log(), "");
}

TEST_F(Dispatch, FailedChecksRunNothing) {
  install_fakes();
  EXPECT_EQ(error("pacman.install", {Value::boolean(true)}), "pacman.install() argument 1 must be a string, got True");
  EXPECT_EQ(error("systemd.start", {}), "systemd.start() missing argument 1");
  EXPECT_EQ(error("system.exec", {text("pacman"), Value::none()}),
            "system.exec() argument 2 must be a string or number, got None");
  EXPECT_EQ(log(), "");
  EXPECT_TRUE(sink_.is_empty());
}

TEST_F(Dispatch, ExtraArgumentsAreIgnored) {
  install_fakes();
  EXPECT_EQ(ok("fs.exists", {text("/tmp"), Value::integer(1), Value::integer(2)}).display(), "True");
  ok("systemd.status", {text("sshd"), text("extra")});
  EXPECT_EQ(log(), "systemctl [status] [sshd]\n");
}

}  // namespace
}  // namespace ostrel::test
