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
  const std::vector<std::string>& lines() const { return lines_; }
  size_t line_count() const { return lines_.size(); }
  bool is_empty() const { return lines_.empty(); }

 protected:
  void record(std::string_view text) { lines_.emplace_back(text); }

 private:
  std::vector<std::string> lines_;
};

// Writes each line to standard output at once, flushed, and keeps it.
class StdoutSink final : public OutputSink {
 public:
  void write_line(std::string_view text) override;
};

// Only keeps the lines; the interactive loop prints them after each input.
class CaptureSink final : public OutputSink {
 public:
  void write_line(std::string_view text) override { record(text); }
};

}  // namespace ostrel
