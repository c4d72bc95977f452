#include "support/dotenv_lines.hpp"

#include <algorithm>

#include "support/utf8.hpp"

namespace ostrel::dotenv {
namespace {

enum class State {
  Complete,
  Escape,            // after a backslash outside quotes
  StrongOpen,        // inside '...'
  StrongOpenEscape,  // after a backslash inside '...': the next character cannot close it
  WeakOpen,          // inside "..."
  WeakOpenEscape,
  WhiteSpace,        // after a blank outside quotes: "#" here starts a comment
  Comment,
};

State after_plain(char32_t c) {
  switch (c) {
    case '\\': return State::Escape;
    case '"': return State::WeakOpen;
    case '\'': return State::StrongOpen;
    default: return State::Complete;
  }
}

State step(State state, char32_t c) {
  switch (state) {
    case State::Complete:
      return is_white_space(c) && c != '\n' && c != '\r' ? State::WhiteSpace : after_plain(c);
    case State::WhiteSpace:
      return c == '#' ? State::Comment : after_plain(c);
    case State::Escape:
      return State::Complete;
    case State::WeakOpen:
      return c == '\\' ? State::WeakOpenEscape : c == '"' ? State::Complete : State::WeakOpen;
    case State::WeakOpenEscape:
      return State::WeakOpen;
    case State::StrongOpen:
      return c == '\\' ? State::StrongOpenEscape : c == '\'' ? State::Complete : State::StrongOpen;
    case State::StrongOpenEscape:
      return State::StrongOpen;
    case State::Comment:
      break;
  }
  return State::Comment;
}

struct Scan {
  State state;
  std::size_t comment_start;  // where "#" stands, when the state is Comment
};

Scan scan(State state, std::string_view segment) {
  for (std::size_t position = 0; position < segment.size();) {
    DecodedChar c = decode_utf8(segment.substr(position));
    state = step(state, c.code_point);
    if (state == State::Comment) return {state, position};
    position += c.length;
  }
  return {state, 0};
}

void drop_line_end(std::string& line) {
  if (!line.empty() && line.back() == '\n') {
    line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
}

}  // namespace

std::string line_error(std::string_view line, std::size_t index) {
  return "Error parsing line: '" + std::string(line) + "', error at line index: " + std::to_string(index);
}

std::optional<Result<std::string>> LogicalLines::next() {
  std::string line;
  State state = State::Complete;
  for (;;) {
    if (rest_.empty()) {
      if (state == State::Complete) return std::nullopt;
      return Result<std::string>(Error{line_error(line, line.size())});
    }
    std::size_t length = std::min(rest_.find('\n'), rest_.size() - 1) + 1;
    std::string_view physical = rest_.substr(0, length);
    rest_.remove_prefix(length);
    if (!is_valid_utf8(physical)) return Result<std::string>(Error{kInvalidUtf8});
    std::size_t start = line.size();
    line.append(physical);
    if (trim_white_space_start(line).substr(0, 1) == "#") return Result<std::string>(std::string());
    Scan result = scan(state, std::string_view(line).substr(start));
    state = result.state;
    if (state == State::Comment) {
      line.resize(start + result.comment_start);
      return Result<std::string>(std::move(line));
    }
    if (state == State::Complete) {
      drop_line_end(line);
      return Result<std::string>(std::move(line));
    }
  }
}

}  // namespace ostrel::dotenv
