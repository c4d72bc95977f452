#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>

#include "support/process_environment.hpp"

using ostrel::dotenv::Entry;
using ostrel::dotenv::read_entries;

namespace {

// Reads `content` against a pretend environment; entries that are not set yet are added to it,
// so later substitutions see them.
struct Reading {
  std::map<std::string, std::string> environment;
  std::vector<std::pair<std::string, std::string>> entries;
  std::optional<std::string> error;

  explicit Reading(std::string_view content, std::map<std::string, std::string> initial = {})
      : environment(std::move(initial)) {
    error = read_entries(
        content,
        [&](const std::string& name) -> std::optional<std::string> {
          auto found = environment.find(name);
          if (found == environment.end()) return std::nullopt;
          return found->second;
        },
        [&](const Entry& entry) -> std::optional<std::string> {
          entries.emplace_back(entry.key, entry.value);
          environment.emplace(entry.key, entry.value);
          return std::nullopt;
        });
  }
};

using Entries = std::vector<std::pair<std::string, std::string>>;

}  // namespace

TEST(DotenvRead, KeysValuesAndComments) {
  Reading r("\xEF\xBB\xBF# comment\n  # indented comment\n\nexport A=1\nexport=2\n B = 3 \nC=\nD= #c\nE=a#b\n"
            "F=a # c\nG=#x\nH.i_9=x\r\n");
  EXPECT_EQ(r.error, std::nullopt);
  EXPECT_EQ(r.entries, (Entries{{"A", "1"}, {"export", "2"}, {"B", "3"}, {"C", ""}, {"D", ""}, {"E", "a#b"},
                                {"F", "a"}, {"G", ""}, {"H.i_9", "x"}}));
}

TEST(DotenvRead, QuotesEscapesAndLineBreaks) {
  Reading r("A='x $B \\n'\nB=\"l1\nl2 \\\"q\\\" \\$ \\\\\"\nC='a'\"b\"c\nD=a\\ b\\n\nE=\"x\\ny\"\n");
  EXPECT_EQ(r.error, std::nullopt);
  EXPECT_EQ(r.entries, (Entries{{"A", "x $B \\n"}, {"B", "l1\nl2 \"q\" $ \\"}, {"C", "abc"}, {"D", "a b\n"},
                                {"E", "x\ny"}}));
}

TEST(DotenvRead, SubstitutionPrefersTheEnvironment) {
  Reading r("A=file\nB=${A}-$A-$A_B-${MISSING}x\nHOME=mine\nC=\"${HOME}/x\"\nD=$A b\n", {{"HOME", "/root"}});
  EXPECT_EQ(r.error, std::nullopt);
  EXPECT_EQ(r.entries, (Entries{{"A", "file"}, {"B", "file-file-file_B-x"}, {"HOME", "mine"}, {"C", "/root/x"},
                                {"D", "file b"}}));
  // The variable already set keeps its value.
  EXPECT_EQ(r.environment["HOME"], "/root");
}

TEST(DotenvRead, ErrorsNameTheLineAndStopReading) {
  auto error_of = [](std::string_view content) { return Reading(content).error.value_or("no error"); };
  EXPECT_EQ(error_of("X-Y=1"), "Error parsing line: 'X-Y=1', error at line index: 1");
  EXPECT_EQ(error_of("H=a b"), "Error parsing line: 'a b', error at line index: 2");
  EXPECT_EQ(error_of("M=a "), "Error parsing line: 'M=a ', error at line index: 4");
  EXPECT_EQ(error_of("M=a\\"), "Error parsing line: 'M=a\\', error at line index: 4");
  EXPECT_EQ(error_of("K=\"$A\"\n"), "Error parsing line: '\"$A\"', error at line index: 3");
  EXPECT_EQ(error_of("K=\"a\\q\"\n"), "Error parsing line: '\"a\\q\"', error at line index: 3");
  EXPECT_EQ(error_of("K=${A\n"), "Error parsing line: '${A', error at line index: 2");
  EXPECT_EQ(error_of("K=\"open\nstill"), "Error parsing line: 'K=\"open\nstill', error at line index: 13");
  EXPECT_EQ(error_of("export\n"), "Error parsing line: 'export', error at line index: 6");
  EXPECT_EQ(error_of("K=1\nL=\xff\n"), "stream did not contain valid UTF-8");
  // A backslash before the closing single quote does not close it: the next line is swallowed.
  EXPECT_EQ(error_of("K='a\\'\nL=2\n"), "Error parsing line: 'K='a\\'\nL=2\n', error at line index: 11");

  Reading third_bad("A=1\nB=2\nC D=3\nE=4\n");
  EXPECT_EQ(third_bad.entries, (Entries{{"A", "1"}, {"B", "2"}}));
  EXPECT_EQ(third_bad.error, "Error parsing line: 'C D=3', error at line index: 2");
}

TEST(DotenvRead, ApplyFailureStopsReading) {
  int applied = 0;
  auto error = read_entries(
      "A=1\nB=2\nC=3\n", [](const std::string&) { return std::nullopt; },
      [&](const Entry&) -> std::optional<std::string> {
        if (++applied == 2) return std::string("refused");
        return std::nullopt;
      });
  EXPECT_EQ(error, "refused");
  EXPECT_EQ(applied, 2);
}

// Loading from the current directory upward, into the real environment.
class DotenvLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ostrel-dotenv-XXXXXX";
    root_ = mkdtemp(pattern);
    ASSERT_FALSE(root_.empty());
    char directory[4096];
    ASSERT_NE(getcwd(directory, sizeof directory), nullptr);
    original_directory_ = directory;
    ASSERT_EQ(mkdir((root_ + "/sub").c_str(), 0700), 0);
    ASSERT_EQ(chdir((root_ + "/sub").c_str()), 0);
  }

  void TearDown() override {
    EXPECT_EQ(chdir(original_directory_.c_str()), 0);
    EXPECT_EQ(std::system(("rm -rf " + root_).c_str()), 0);
  }

  void write(const std::string& relative_path, const std::string& content) {
    std::ofstream(root_ + "/" + relative_path, std::ios::binary) << content;
  }

  static std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "(unset)";
  }

  std::string root_;
  std::string original_directory_;
};

TEST_F(DotenvLoad, ParentFileFillsOnlyUnsetVariables) {
  write(".env", "OSTREL_T1=from-file\nOSTREL_T2=from-file\nOSTREL_T3=bad value\nOSTREL_T4=never\n");
  setenv("OSTREL_T2", "caller", 1);
  EXPECT_EQ(ostrel::dotenv::load(".env"), "Error parsing line: 'bad value', error at line index: 4");
  EXPECT_EQ(variable("OSTREL_T1"), "from-file");
  EXPECT_EQ(variable("OSTREL_T2"), "caller");
  EXPECT_EQ(variable("OSTREL_T3"), "(unset)");
  EXPECT_EQ(variable("OSTREL_T4"), "(unset)");
}

TEST_F(DotenvLoad, NonTextValuesAreReplaced) {
  write(".env", "OSTREL_T5=text\n");
  setenv("OSTREL_T5", "\xff", 1);
  EXPECT_EQ(ostrel::dotenv::load(".env"), std::nullopt);
  EXPECT_EQ(variable("OSTREL_T5"), "text");
}

TEST_F(DotenvLoad, SearchFailures) {
  EXPECT_EQ(ostrel::dotenv::load("missing.env"), "path not found");
  EXPECT_EQ(ostrel::dotenv::load(""), "path not found");
  ASSERT_EQ(mkdir((root_ + "/sub/dir.env").c_str(), 0700), 0);
  write("dir.env", "OSTREL_T6=parent\n");
  EXPECT_EQ(ostrel::dotenv::load("dir.env"), std::nullopt);  // the directory is skipped
  EXPECT_EQ(variable("OSTREL_T6"), "parent");
  write("sub/a_file", "");
  EXPECT_EQ(ostrel::dotenv::load("a_file/x.env"), "Not a directory (os error 20)");
  write("nul.env", std::string("OSTREL_T7=a\0b\n", 14));
  EXPECT_EQ(ostrel::dotenv::load(root_ + "/nul.env"), "invalid variable value");
}
