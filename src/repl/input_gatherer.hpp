#pragma once
// Input gathering: the lines of one input that spans several lines. After a trailing backslash,
// a colon or an open bracket the next lines continue it, and a blank line ends it whatever its
// state.
#include <optional>
#include <string>
#include <string_view>

namespace ostrel {

// True when the text ends in a colon (unless it starts with one, like a loop command) or a
// backslash, or leaves a parenthesis, square bracket or curly brace open outside string literals.
bool needs_more_input(std::string_view text);

class InputGatherer {
 public:
  // While gathering, every line belongs to the input, loop commands included.
  bool gathering() const { return gathering_; }

  // Takes one line of code (without its line end) and yields the complete input once there is
  // one. When not gathering, the caller has already passed over blank lines and commands.
  std::optional<std::string> add_line(std::string_view line);

 private:
  // Adds the line to the buffer: without its backslash when it ends in one, else with a newline.
  void append(std::string_view line);
  std::string take_buffer();

  std::string buffer_;
  bool gathering_ = false;
};

}  // namespace ostrel
