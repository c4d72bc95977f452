#include "support/process_environment.hpp"

#include <algorithm>
#include <cstddef>
#include <unordered_map>
#include <utility>

#include "support/result.hpp"
#include "support/utf8.hpp"

namespace ostrel::dotenv {

// ---- Logical lines ----
// The lines of a `.env` file as its entries see them: comment lines become empty, a quote left
// open continues onto the next line (keeping the line break), a blank followed by "#" starts a
// comment, and the final "\n" or "\r\n" is dropped.

namespace {

// "Error parsing line: '{line}', error at line index: {index}".
std::string line_error(std::string_view line, std::size_t index) {
  return "Error parsing line: '" + std::string(line) + "', error at line index: " + std::to_string(index);
}

class LogicalLines {
 public:
  // `content` must outlive the reader.
  explicit LogicalLines(std::string_view content) : rest_(content) {}

  // The next line; no value at the end of the content; an error for a line that is not UTF-8 or
  // for content that ends inside a quote, after an escape or after a trailing blank.
  std::optional<Result<std::string>> next();

 private:
  std::string_view rest_;
};

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

// ---- Entries ----

bool is_key_start(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool is_key_char(char c) { return is_key_start(c) || (c >= '0' && c <= '9') || c == '.'; }

// Values for `$NAME`: the environment first, then the entries read so far.
class Substitutions {
 public:
  explicit Substitutions(const VariableLookup& environment) : environment_(environment) {}

  void remember(const std::string& key, const std::string& value) { earlier_[key] = value; }

  void append_value(const std::string& name, std::string& output) const {
    if (std::optional<std::string> value = environment_(name)) {
      output += *value;
    } else if (auto earlier = earlier_.find(name); earlier != earlier_.end()) {
      output += earlier->second;
    }
  }

 private:
  const VariableLookup& environment_;
  std::unordered_map<std::string, std::string> earlier_;
};

// Walks the key part of a line, counting bytes for error messages.
class LineCursor {
 public:
  explicit LineCursor(std::string_view line) : line_(line), rest_(trim_white_space_end(line)) {}

  std::string_view rest() const { return rest_; }
  bool at_end_or_comment() const { return rest_.empty() || rest_.front() == '#'; }
  std::string error() const { return line_error(line_, position_); }

  void skip_white_space() { advance(rest_.size() - trim_white_space_start(rest_).size()); }

  std::optional<std::string> key() {
    if (rest_.empty() || !is_key_start(rest_.front())) return std::nullopt;
    std::size_t length = 1;
    while (length < rest_.size() && is_key_char(rest_[length])) ++length;
    std::string key(rest_.substr(0, length));
    advance(length);
    return key;
  }

  bool equals_sign() {
    if (rest_.empty() || rest_.front() != '=') return false;
    advance(1);
    return true;
  }

 private:
  void advance(std::size_t bytes) {
    rest_.remove_prefix(bytes);
    position_ += bytes;
  }

  std::string_view line_;
  std::string_view rest_;
  std::size_t position_ = 0;
};

// A value: '...' taken literally, "..." and bare text with escapes and substitution, all
// concatenated. A blank outside quotes ends the value; only blanks or a comment may follow.
// Error indexes count characters of the value.
class ValueParser {
 public:
  ValueParser(std::string_view input, const Substitutions& substitutions)
      : input_(input), substitutions_(substitutions) {}

  Result<std::string> parse() {
    std::size_t index = 0;
    for (std::string_view rest = input_; !rest.empty() && !finished_; ++index) {
      DecodedChar c = decode_utf8(rest);
      std::string_view bytes = rest.substr(0, c.length);
      rest.remove_prefix(c.length);
      if (!take(c.code_point, bytes)) return Error{line_error(input_, index)};
    }
    if (mode_ == Mode::BracedName || strong_quote_ || weak_quote_) {
      return Error{line_error(input_, input_.empty() ? 0 : input_.size() - 1)};
    }
    end_substitution();
    return std::move(output_);
  }

 private:
  enum class Mode { Text, Name, BracedName };

  bool take(char32_t c, std::string_view bytes) {
    if (expecting_end_) return take_after_end(c);
    if (escaped_) return take_escaped(c, bytes);
    if (strong_quote_) {
      if (c == '\'') strong_quote_ = false;
      else output_ += bytes;
    } else if (mode_ != Mode::Text) {
      take_name(c, bytes);
    } else if (c == '$') {
      mode_ = Mode::Name;
    } else if (weak_quote_) {
      if (c == '"') weak_quote_ = false;
      else if (c == '\\') escaped_ = true;
      else output_ += bytes;
    } else {
      take_bare(c, bytes);
    }
    return true;
  }

  bool take_after_end(char32_t c) {
    finished_ = c == '#';
    return c == ' ' || c == '\t' || c == '#';
  }

  bool take_escaped(char32_t c, std::string_view bytes) {
    escaped_ = false;
    if (c == 'n') {
      output_ += '\n';
      return true;
    }
    if (c == '\\' || c == '\'' || c == '"' || c == '$' || c == ' ') {
      output_ += bytes;
      return true;
    }
    return false;
  }

  void take_name(char32_t c, std::string_view bytes) {
    if (is_alphanumeric(c)) {
      name_ += bytes;
    } else if (mode_ == Mode::BracedName) {
      if (c == '}') {
        end_substitution();
        mode_ = Mode::Text;
      } else {
        name_ += bytes;
      }
    } else if (c == '{' && name_.empty()) {
      mode_ = Mode::BracedName;
    } else {
      end_substitution();
      if (c == '$') return;  // the next name starts at once
      mode_ = Mode::Text;
      output_ += bytes;  // the character after a name is kept as it is, even a quote or backslash
    }
  }

  void take_bare(char32_t c, std::string_view bytes) {
    switch (c) {
      case '\'': strong_quote_ = true; break;
      case '"': weak_quote_ = true; break;
      case '\\': escaped_ = true; break;
      case ' ':
      case '\t': expecting_end_ = true; break;
      default: output_ += bytes;
    }
  }

  void end_substitution() {
    substitutions_.append_value(name_, output_);
    name_.clear();
  }

  std::string_view input_;
  const Substitutions& substitutions_;
  std::string output_;
  std::string name_;
  Mode mode_ = Mode::Text;
  bool strong_quote_ = false;
  bool weak_quote_ = false;
  bool escaped_ = false;
  bool expecting_end_ = false;
  bool finished_ = false;
};

// The entry of one logical line; nothing for a blank or comment line.
Result<std::optional<Entry>> parse_line(std::string_view line, Substitutions& substitutions) {
  LineCursor cursor(line);
  cursor.skip_white_space();
  if (cursor.at_end_or_comment()) return std::optional<Entry>();
  std::optional<std::string> key = cursor.key();
  if (!key) return Error{cursor.error()};
  cursor.skip_white_space();
  bool has_equals = cursor.equals_sign();
  if (!has_equals && *key == "export") {  // "export KEY=VALUE"; "export=VALUE" sets a key "export"
    key = cursor.key();
    if (!key) return Error{cursor.error()};
    cursor.skip_white_space();
    has_equals = cursor.equals_sign();
  }
  if (!has_equals) return Error{cursor.error()};
  cursor.skip_white_space();
  std::string value;
  if (!cursor.at_end_or_comment()) {
    OSTREL_TRY(parsed, ValueParser(cursor.rest(), substitutions).parse());
    value = std::move(parsed);
  }
  substitutions.remember(*key, value);
  return std::optional<Entry>(Entry{std::move(*key), std::move(value)});
}

}  // namespace

std::optional<std::string> read_entries(std::string_view content, const VariableLookup& environment,
                                        const EntrySink& apply) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (content.substr(0, kByteOrderMark.size()) == kByteOrderMark) content.remove_prefix(kByteOrderMark.size());
  LogicalLines lines(content);
  Substitutions substitutions(environment);
  while (std::optional<Result<std::string>> line = lines.next()) {
    if (!*line) return line->error();
    Result<std::optional<Entry>> entry = parse_line(line->value(), substitutions);
    if (!entry) return entry.error();
    if (!entry.value()) continue;
    if (std::optional<std::string> error = apply(*entry.value())) return error;
  }
  return std::nullopt;
}

}  // namespace ostrel::dotenv
