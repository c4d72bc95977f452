#include "grammar/syntax_error.hpp"

#include <algorithm>

#include "support/utf8.hpp"

namespace ostrel::grammar {
namespace {

// "a", "a or b", "a, b, or c".
std::string join_rule_names(std::vector<Rule> rules) {
  std::sort(rules.begin(), rules.end());
  rules.erase(std::unique(rules.begin(), rules.end()), rules.end());
  std::string joined;
  for (std::size_t i = 0; i < rules.size(); ++i) {
    if (i > 0) joined += rules.size() == 2 ? " or " : (i + 1 == rules.size() ? ", or " : ", ");
    joined += name_of(rules[i]);
  }
  return joined;
}

struct SourceLine {
  std::string_view text;  // the whole line holding the position, with its line ending
  std::size_t number;     // counted from 1
  std::size_t column;     // characters before the position, plus one
};

// The length in bytes of the character that starts `text` (a malformed byte counts as one).
std::size_t character_length(std::string_view text) { return decode_utf8(text).length; }

SourceLine line_at(std::string_view source, std::size_t position) {
  std::size_t start = 0;
  if (position > 0) {
    std::size_t previous_newline = source.rfind('\n', position - 1);
    if (previous_newline != std::string_view::npos) start = previous_newline + 1;
  }
  std::size_t newline = source.find('\n', position);
  std::size_t end = newline == std::string_view::npos ? source.size() : newline + 1;
  std::size_t number = 1 + static_cast<std::size_t>(std::count(source.begin(), source.begin() + start, '\n'));
  std::size_t column = 1;
  for (std::size_t at = start; at < position; at += character_length(source.substr(at))) ++column;
  return {source.substr(start, end - start), number, column};
}

// Line breaks become visible symbols and malformed bytes the replacement character.
std::string visible(std::string_view line) {
  std::string shown;
  for (char c : lossy_utf8(line)) {
    if (c == '\r') shown += "\u240D";
    else if (c == '\n') shown += "\u240A";
    else shown += c;
  }
  return shown;
}

// Blank space under the first `count` characters of the line (tabs kept, so the marker lines up).
std::string marker_indent(std::string_view line, std::size_t count) {
  std::string indent;
  for (std::size_t at = 0; count > 0 && at < line.size(); --count) {
    indent += line[at] == '\t' ? '\t' : ' ';
    at += character_length(line.substr(at));
  }
  return indent;
}

}  // namespace

std::string describe_failure(std::vector<Rule> expected, std::vector<Rule> unexpected) {
  if (!expected.empty() && !unexpected.empty())
    return "unexpected " + join_rule_names(std::move(unexpected)) + "; expected " +
           join_rule_names(std::move(expected));
  if (!expected.empty()) return "expected " + join_rule_names(std::move(expected));
  if (!unexpected.empty()) return "unexpected " + join_rule_names(std::move(unexpected));
  return "unknown parsing error";
}

std::string render_syntax_error(std::string_view source, std::size_t position, std::string_view message) {
  SourceLine line = line_at(source, position);
  std::string number = std::to_string(line.number);
  std::string gutter(number.size(), ' ');
  std::string text;
  text += gutter + "--> " + number + ":" + std::to_string(line.column) + "\n";
  text += gutter + " |\n";
  text += number + " | " + visible(line.text) + "\n";
  text += gutter + " | " + marker_indent(line.text, line.column - 1) + "^---\n";
  text += gutter + " |\n";
  text += gutter + " = ";
  text += message;
  return text;
}

}  // namespace ostrel::grammar
