#include "support/line_reader.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace ostrel {
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
