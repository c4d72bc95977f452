// The env module: variables, the platform's limits on them, and .env files.
#include "stdlib_test_support.hpp"

namespace ostrel::test {
namespace {

class Env : public StdlibTest {
 protected:
  void TearDown() override {
    for (const char* name : {"OSTREL_T", "OSTREL_T2", "OSTREL_NEW", "OSTREL_KEEP"}) unsetenv(name);
    StdlibTest::TearDown();
  }
};

TEST_F(Env, SetGetRemove) {
  EXPECT_EQ(ok("env.get", {text("OSTREL_T")}).display(), "None");
  EXPECT_EQ(ok("env.get_or", {text("OSTREL_T"), text("x")}).display(), "x");
  EXPECT_EQ(ok("env.exists", {text("OSTREL_T")}).display(), "False");
  EXPECT_EQ(ok("env.set", {text("OSTREL_T"), text("1 = 2")}).display(), "True");
  EXPECT_EQ(ok("env.get", {text("OSTREL_T")}).display(), "1 = 2");
  EXPECT_EQ(ok("env.get_or", {text("OSTREL_T"), text("x")}).display(), "1 = 2");
  EXPECT_EQ(ok("env.exists", {text("OSTREL_T")}).display(), "True");
  ok("env.set", {text("OSTREL_T"), text("")});
  EXPECT_EQ(ok("env.exists", {text("OSTREL_T")}).display(), "True");
  EXPECT_EQ(ok("env.remove", {text("OSTREL_T")}).display(), "True");
  EXPECT_EQ(ok("env.remove", {text("OSTREL_T")}).display(), "True");
  EXPECT_EQ(std::getenv("OSTREL_T"), nullptr);
  EXPECT_EQ(error("env.get_or", {text("OSTREL_T"), Value::none()}), "env.get_or() argument 2 must be a string, got None");
}

TEST_F(Env, NonUtf8ValuesCountAsUnset) {
  setenv("OSTREL_T", "caf\xe9", 1);
  EXPECT_EQ(ok("env.get", {text("OSTREL_T")}).display(), "None");
  EXPECT_EQ(ok("env.get_or", {text("OSTREL_T"), text("d")}).display(), "d");
  EXPECT_EQ(ok("env.exists", {text("OSTREL_T")}).display(), "False");
}

TEST_F(Env, NamesAndValuesThePlatformRefuses) {
  setenv("OSTREL_T", "old", 1);
  Value nul_name = Value::string("OSTREL_T\0X"s);
  EXPECT_EQ(error("env.set", {text(""), text("v")}), "env.set(\"\"): invalid variable name");
  EXPECT_EQ(error("env.set", {text("A=B"), text("v")}), "env.set(\"A=B\"): invalid variable name");
  EXPECT_EQ(error("env.set", {nul_name, text("v")}), "env.set(\"OSTREL_T\0X\"): invalid variable name"s);
  EXPECT_EQ(error("env.set", {text("OSTREL_T"), Value::string("a\0b"s)}),
            "env.set(\"OSTREL_T\"): invalid variable value");
  EXPECT_EQ(error("env.remove", {text("")}), "env.remove(\"\"): invalid variable name");
  EXPECT_EQ(error("env.remove", {text("OSTREL_T=old")}), "env.remove(\"OSTREL_T=old\"): invalid variable name");
  EXPECT_EQ(error("env.remove", {nul_name}), "env.remove(\"OSTREL_T\0X\"): invalid variable name"s);
  EXPECT_STREQ(std::getenv("OSTREL_T"), "old");
  // Reading such a name finds nothing, not the variable its text begins with.
  EXPECT_EQ(ok("env.get", {nul_name}).display(), "None");
  EXPECT_EQ(ok("env.get", {text("OSTREL_T=old")}).display(), "None");
  EXPECT_EQ(ok("env.exists", {text("")}).display(), "False");
}

TEST_F(Env, ListFollowsTheEnvironment) {
  setenv("OSTREL_T", "a=b", 1);
  setenv("OSTREL_T2", "caf\xe9", 1);
  setenv("OSTREL_NEW", "", 1);
  Value all = ok("env.list", {});
  EXPECT_EQ(field(all, "OSTREL_T").as_string(), "a=b");
  EXPECT_EQ(field(all, "OSTREL_NEW").as_string(), "");
  size_t count = 0;
  for (char** entry = environ; *entry; ++entry) ++count;
  EXPECT_EQ(all.as_dict().size(), count - 1);  // everything but the variable that is not UTF-8
  for (const auto& [name, value] : all.as_dict()) EXPECT_NE(name.as_string(), "OSTREL_T2");
}

TEST_F(Env, LoadKeepsExistingValues) {
  setenv("OSTREL_KEEP", "mine", 1);
  write_whole(dir_ / ".env", "OSTREL_KEEP=theirs\nOSTREL_NEW=\"new value\"\n");
  std::filesystem::create_directories(dir_ / "sub/deeper");
  std::filesystem::current_path(dir_ / "sub/deeper");
  EXPECT_EQ(ok("env.load", {}).display(), "True");
  EXPECT_STREQ(std::getenv("OSTREL_KEEP"), "mine");
  EXPECT_STREQ(std::getenv("OSTREL_NEW"), "new value");
}

TEST_F(Env, LoadNamedFile) {
  write_whole(dir_ / "other.env", "export OSTREL_T=1\nOSTREL_T2=${OSTREL_T}2\n");
  EXPECT_EQ(ok("env.load", {text("other.env")}).display(), "True");
  EXPECT_STREQ(std::getenv("OSTREL_T2"), "12");
}

TEST_F(Env, LoadErrors) {
  EXPECT_EQ(error("env.load", {text("missing.env")}), "env.load(\"missing.env\"): path not found");
  write_whole(dir_ / "bad.env", "OSTREL_T=1\nX-Y=1\nOSTREL_T2=2\n");
  EXPECT_EQ(error("env.load", {text("bad.env")}),
            "env.load(\"bad.env\"): Error parsing line: 'X-Y=1', error at line index: 1");
  EXPECT_STREQ(std::getenv("OSTREL_T"), "1");
  EXPECT_EQ(std::getenv("OSTREL_T2"), nullptr);
  // A value the environment cannot hold stops the loading; earlier entries stay.
  write_whole(dir_ / "nul.env", "OSTREL_T2=ok\nOSTREL_NEW=a\0b\nOSTREL_KEEP=1\n"s);
  EXPECT_EQ(error("env.load", {text("nul.env")}), "env.load(\"nul.env\"): invalid variable value");
  EXPECT_STREQ(std::getenv("OSTREL_T2"), "ok");
  EXPECT_EQ(std::getenv("OSTREL_NEW"), nullptr);
  EXPECT_EQ(std::getenv("OSTREL_KEEP"), nullptr);
}

}  // namespace
}  // namespace ostrel::test
