#include "support/io.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
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

namespace {

// A descriptor reading back the given bytes, closed with the fixture.
class LineReaderTest : public ::testing::Test {
 protected:
  int input_with(const std::string& bytes) {
    file_ = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file_);
    std::fflush(file_);
    std::rewind(file_);
    return fileno(file_);
  }
  void TearDown() override {
    if (file_) std::fclose(file_);
  }

  std::FILE* file_ = nullptr;
};

TEST_F(LineReaderTest, LinesKeepTheirEndAndTheLastMayLackIt) {
  LineReader reader(input_with("one\r\n\ntwo"));
  std::string line;
  EXPECT_TRUE(reader.read_line(line).value());
  EXPECT_EQ(line, "one\r\n");
  EXPECT_TRUE(reader.read_line(line).value());
  EXPECT_EQ(line, "\n");
  EXPECT_TRUE(reader.read_line(line).value());
  EXPECT_EQ(line, "two");
  EXPECT_FALSE(reader.read_line(line).value());
  EXPECT_EQ(line, "");
  EXPECT_FALSE(reader.read_line(line).value());
}

TEST_F(LineReaderTest, LinesLongerThanTheBuffer) {
  std::string long_line(100000, 'x');
  LineReader reader(input_with(long_line + "\nshort\n"));
  std::string line;
  EXPECT_TRUE(reader.read_line(line).value());
  EXPECT_EQ(line, long_line + "\n");
  EXPECT_TRUE(reader.read_line(line).value());
  EXPECT_EQ(line, "short\n");
}

TEST_F(LineReaderTest, InvalidUtf8IsAnError) {
  LineReader reader(input_with("fine ü\nbad \xff\xfe\n"));
  std::string line;
  EXPECT_TRUE(reader.read_line(line).value());
  auto bad = reader.read_line(line);
  ASSERT_FALSE(bad.ok());
  EXPECT_EQ(bad.error(), "stream did not contain valid UTF-8");
}

TEST_F(LineReaderTest, CharacterSplitAcrossReadsIsValid) {
  // "é" straddles the 8192-byte boundary of the reader's buffer.
  std::string text = std::string(8191, 'a') + "é\n";
  LineReader reader(input_with(text));
  std::string line;
  EXPECT_TRUE(reader.read_line(line).value());
  EXPECT_EQ(line, text);
}

TEST(LineReader, ClosedDescriptorReadsAsEndOfInput) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ::close(fds[0]);
  ::close(fds[1]);
  LineReader reader(fds[0]);
  std::string line;
  auto result = reader.read_line(line);
  ASSERT_TRUE(result.ok());
  EXPECT_FALSE(result.value());
}

TEST(LineReader, OtherReadErrorsAreReported) {
  int directory = ::open("/", O_RDONLY | O_DIRECTORY);
  ASSERT_GE(directory, 0);
  LineReader reader(directory);
  std::string line;
  auto result = reader.read_line(line);
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error(), "Is a directory (os error 21)");
  ::close(directory);
}

}  // namespace

}  // namespace ostrel
