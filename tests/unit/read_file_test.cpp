#include "support/read_file.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "support/utf8.hpp"

namespace ostrel {
namespace {

class ReadTextFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/ostrel-read-XXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    path_ = name;
  }
  void TearDown() override { unlink(path_.c_str()); }
  void write(const std::string& content) { std::ofstream(path_, std::ios::binary) << content; }

  std::string path_;
};

// Files are read in pieces of 64 KiB; characters that straddle two pieces are whole again.
TEST_F(ReadTextFile, CharactersAcrossReadBoundaries) {
  for (std::size_t before : {65533, 65534, 65535, 65536}) {
    std::string content = std::string(before, 'a') + "é🦀日" + std::string(70000, 'b');
    write(content);
    auto text = read_text_file(path_);
    ASSERT_TRUE(text) << before;
    EXPECT_EQ(text.value(), content);
  }
}

TEST_F(ReadTextFile, InvalidBytesAnywhere) {
  for (const std::string& bad : {std::string("\xff"), std::string("\xe2\x82"), std::string("\xed\xa0\x80")}) {
    write(std::string(100000, 'a') + bad);
    EXPECT_FALSE(read_text_file(path_)) << "at the end";
    write(std::string(65535, 'a') + bad + std::string(100000, 'a'));
    EXPECT_FALSE(read_text_file(path_)) << "across a boundary";
  }
}

TEST_F(ReadTextFile, LongerThanTheLimit) {
  write(std::string(200000, 'a'));
  auto text = read_text_file(path_, 100000);
  ASSERT_FALSE(text);
  EXPECT_EQ(text.error(), "File too large (os error 27)");
  EXPECT_TRUE(read_text_file(path_, 200000));
}

// Endless devices end at once: binary data at its first bytes, zeros at the limit.
TEST(ReadEndlessDevices, EndWithAnError) {
  auto random = read_text_file("/dev/urandom");
  ASSERT_FALSE(random);
  EXPECT_EQ(random.error(), kInvalidUtf8);
  auto zeros = read_text_file("/dev/zero", 1 << 20);
  ASSERT_FALSE(zeros);
  EXPECT_EQ(zeros.error(), "File too large (os error 27)");
}

}  // namespace
}  // namespace ostrel
