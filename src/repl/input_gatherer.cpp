#include "repl/input_gatherer.hpp"

#include <cstdint>
#include <utility>

#include "support/utf8.hpp"

namespace ostrel {

namespace {

// Counts open brackets outside string literals. Comments are not recognised: a bracket after
// "//" counts too. Bytes are scanned one by one, which is safe for UTF-8 since every byte that
// matters here is ASCII and no byte of a multi-byte character is.
bool leaves_brackets_open(std::string_view text) {
  int64_t parentheses = 0;
  int64_t brackets = 0;
  int64_t braces = 0;
  char quote = 0;  // the quote that opened the literal we are in, or 0 outside literals
  bool escaped = false;
  for (char c : text) {
    if (quote != 0) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == quote) {
        quote = 0;
      }
      continue;
    }
    switch (c) {
      case '"': case '\'': quote = c; break;
      case '(': ++parentheses; break;
      case ')': --parentheses; break;
      case '[': ++brackets; break;
      case ']': --brackets; break;
      case '{': ++braces; break;
      case '}': --braces; break;
      default: break;
    }
  }
  return parentheses > 0 || brackets > 0 || braces > 0;
}

}  // namespace

bool needs_more_input(std::string_view text) {
  std::string_view trimmed = trim_white_space_end(text);
  if (trimmed.empty()) return false;
  if (trimmed.back() == ':') return trimmed.front() != ':';
  if (trimmed.back() == '\\') return true;
  return leaves_brackets_open(trimmed);
}

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
