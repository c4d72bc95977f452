// The fs module: round trips and the exact error texts.
#include <sys/stat.h>

#include "stdlib_test_support.hpp"

namespace ostrel::test {
namespace {

using Fs = StdlibTest;

TEST_F(Fs, WriteAndReadRoundTrip) {
  EXPECT_EQ(ok("fs.write", {text("x.txt"), text("hi")}).display(), "True");
  EXPECT_EQ(ok("fs.read", {text("x.txt")}).as_string(), "hi");
  ok("fs.write", {text("x.txt"), Value::string("a\nb\0c"s)});
  EXPECT_EQ(ok("fs.read", {text("x.txt")}).as_string(), "a\nb\0c"s);
  ok("fs.write", {text("x.txt"), text("")});
  EXPECT_EQ(read_whole(dir_ / "x.txt"), "");
  EXPECT_TRUE(sink_.is_empty());
}

TEST_F(Fs, ReadErrors) {
  EXPECT_EQ(error("fs.read", {text("missing.txt")}), "fs.read(\"missing.txt\"): No such file or directory (os error 2)");
  EXPECT_EQ(error("fs.read", {text(".")}), "fs.read(\".\"): Is a directory (os error 21)");
  write_whole(dir_ / "latin1", "caf\xe9");
  EXPECT_EQ(error("fs.read", {text("latin1")}), "fs.read(\"latin1\"): stream did not contain valid UTF-8");
}

TEST_F(Fs, WriteErrors) {
  EXPECT_EQ(error("fs.write", {text("no/such/dir.txt"), text("x")}),
            "fs.write(\"no/such/dir.txt\"): No such file or directory (os error 2)");
  EXPECT_EQ(error("fs.write", {text("/dev/full"), text("x")}), "fs.write(\"/dev/full\"): No space left on device (os error 28)");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "no"));
}

TEST_F(Fs, PathsWithNulNameNoOtherFile) {
  write_whole(dir_ / "a", "secret");
  Value path = Value::string("a\0b"s);
  EXPECT_EQ(error("fs.read", {path}), "fs.read(\"a\0b\"): file name contained an unexpected NUL byte"s);
  EXPECT_FALSE(error("fs.write", {path, text("x")}).empty());
  EXPECT_FALSE(error("fs.remove", {path}).empty());
  EXPECT_EQ(ok("fs.exists", {path}).display(), "False");
  EXPECT_EQ(read_whole(dir_ / "a"), "secret");
}

TEST_F(Fs, Exists) {
  EXPECT_EQ(ok("fs.exists", {text("")}).display(), "False");
  EXPECT_EQ(ok("fs.exists", {text(".")}).display(), "True");
  std::filesystem::create_symlink(dir_ / "nowhere", dir_ / "dangling");
  EXPECT_EQ(ok("fs.exists", {text("dangling")}).display(), "False");
}

TEST_F(Fs, ListsNamesOnly) {
  EXPECT_EQ(ok("fs.ls", {text(".")}).display(), "[]");
  ok("fs.mkdir", {text("d/sub")});
  write_whole(dir_ / "d" / "file", "");
  write_whole(dir_ / "d" / "bad\xff" "name", "");
  Value names = ok("fs.ls", {text("d")});
  std::vector<std::string> texts;
  for (const Value& name : names.as_list()) texts.push_back(name.as_string());
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(texts, (std::vector<std::string>{"bad\xEF\xBF\xBDname", "file", "sub"}));
  EXPECT_EQ(error("fs.ls", {text("d/file")}), "fs.ls(\"d/file\"): Not a directory (os error 20)");
  EXPECT_EQ(error("fs.ls", {text("nope")}), "fs.ls(\"nope\"): No such file or directory (os error 2)");
}

TEST_F(Fs, MakesDirectoriesWithParents) {
  EXPECT_EQ(ok("fs.mkdir", {text("a/b/c/")}).display(), "True");
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "a/b/c"));
  EXPECT_EQ(ok("fs.mkdir", {text("a/b")}).display(), "True");
  EXPECT_EQ(ok("fs.mkdir", {text((dir_ / "abs//x").string())}).display(), "True");
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "abs/x"));
  write_whole(dir_ / "f", "");
  EXPECT_EQ(error("fs.mkdir", {text("f")}), "fs.mkdir(\"f\"): File exists (os error 17)");
  EXPECT_EQ(error("fs.mkdir", {text("f/sub")}), "fs.mkdir(\"f/sub\"): Not a directory (os error 20)");
  EXPECT_EQ(error("fs.mkdir", {text("")}), "fs.mkdir(\"\"): No such file or directory (os error 2)");
}

TEST_F(Fs, MkdirHonoursTheCreationMask) {
  mode_t old_mask = umask(027);
  ok("fs.mkdir", {text("masked")});
  umask(old_mask);
  EXPECT_EQ(std::filesystem::status(dir_ / "masked").permissions(),
            std::filesystem::perms::owner_all | std::filesystem::perms::group_read | std::filesystem::perms::group_exec);
}

TEST_F(Fs, RemovesFilesAndTrees) {
  ok("fs.mkdir", {text("tree/deep/er")});
  write_whole(dir_ / "tree/deep/er/file", "x");
  ok("fs.mkdir", {text("kept")});
  write_whole(dir_ / "kept/precious", "x");
  std::filesystem::create_directory_symlink(dir_ / "kept", dir_ / "tree/link");
  EXPECT_EQ(ok("fs.remove", {text("tree")}).display(), "True");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "tree"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "kept/precious"));

  std::filesystem::create_directory_symlink(dir_ / "kept", dir_ / "top-link");
  EXPECT_EQ(ok("fs.remove", {text("top-link")}).display(), "True");
  EXPECT_FALSE(std::filesystem::is_symlink(dir_ / "top-link"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "kept/precious"));

  EXPECT_EQ(ok("fs.remove", {text("kept/precious")}).display(), "True");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "kept/precious"));
  EXPECT_EQ(error("fs.remove", {text("gone")}), "fs.remove(\"gone\"): No such file or directory (os error 2)");
}

}  // namespace
}  // namespace ostrel::test
