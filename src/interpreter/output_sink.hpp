#pragma once
// Where every line a running program prints goes: `print`, `println` and the output of external
// commands. The evaluator never writes to standard output itself.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

class OutputSink {
 public:
  virtual ~OutputSink() = default;
  virtual void write_line(std::string_view text) = 0;
  // Makes the lines written so far visible, before something else writes to the same places: a
  // program started by the library, a file such as /dev/stderr, an error line.
  virtual void flush() {}
  // Lines written since the sink was made.
  size_t line_count() const { return count_; }
  bool is_empty() const { return count_ == 0; }

 protected:
  void count_line() { ++count_; }

 private:
  size_t count_ = 0;
};

// Writes each line to standard output: flushed at once on a terminal, where someone watches;
// otherwise buffered, one system call per buffer instead of per line, and flushed by `flush` and
// at exit. Nothing reads the lines back, so only their number is kept: a program may print far
// more than memory holds.
class StdoutSink final : public OutputSink {
 public:
  StdoutSink();
  void write_line(std::string_view text) override;
  void flush() override;

 private:
  bool to_terminal_;
};

// Keeps the lines until they are taken; the interactive loop prints them after each input.
class CaptureSink final : public OutputSink {
 public:
  void write_line(std::string_view text) override {
    lines_.emplace_back(text);
    count_line();
  }
  // The lines written since they were last taken, oldest first.
  const std::vector<std::string>& lines() const { return lines_; }
  std::vector<std::string> take_lines();

 private:
  std::vector<std::string> lines_;
};

}  // namespace ostrel
