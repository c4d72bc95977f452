#include "repl/input_gatherer.hpp"

#include <utility>

#include "repl/needs_more_input.hpp"
#include "support/utf8.hpp"

namespace ostrel {

std::optional<std::string> InputGatherer::add_line(std::string_view line) {
  if (!gathering_) {
    if (!needs_more_input(line)) return std::string(line);
    append(line);
    gathering_ = true;
    return std::nullopt;
  }
  if (trim_white_space_end(line).empty()) return take_buffer();
  append(line);
  // The test runs on the buffer, which no longer holds a backslash just removed: such a line
  // does not keep the input open by itself.
  if (needs_more_input(buffer_)) return std::nullopt;
  return take_buffer();
}

void InputGatherer::append(std::string_view line) {
  std::string_view trimmed = trim_white_space_end(line);
  if (!trimmed.empty() && trimmed.back() == '\\') {
    trimmed.remove_suffix(1);
    buffer_ += trimmed;
  } else {
    buffer_ += line;
    buffer_ += '\n';
  }
}

std::string InputGatherer::take_buffer() {
  gathering_ = false;
  return std::exchange(buffer_, std::string());
}

}  // namespace ostrel
