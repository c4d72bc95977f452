#include "main/styled_text.hpp"

#include <cstring>

namespace ostrel {
namespace {

const char* escape_for(Style style) {
  switch (style) {
    case Style::Plain: return "";
    case Style::Error: return "\x1b[1m\x1b[31m";
    case Style::Header: return "\x1b[1m\x1b[4m";
    case Style::Literal: return "\x1b[1m";
    case Style::Valid: return "\x1b[32m";
    case Style::Invalid: return "\x1b[33m";
  }
  return "";
}

constexpr char kReset[] = "\x1b[0m";

}  // namespace

StyledText& StyledText::add(std::string_view text, Style style) {
  pieces_.push_back({style, std::string(text)});
  return *this;
}

StyledText& StyledText::add(const StyledText& other) {
  pieces_.insert(pieces_.end(), other.pieces_.begin(), other.pieces_.end());
  return *this;
}

std::string StyledText::render(bool colour) const {
  std::string result;
  for (const Piece& piece : pieces_) {
    bool styled = colour && piece.style != Style::Plain;
    if (styled) result += escape_for(piece.style);
    result += piece.text;
    if (styled) result += kReset;
  }
  return result;
}

bool colour_wanted(bool is_terminal, const EnvironmentLookup& environment) {
  auto is_set = [&](const char* name) { return environment(name) != nullptr; };
  auto equals = [&](const char* name, const char* text) {
    const char* value = environment(name);
    return value != nullptr && std::strcmp(value, text) == 0;
  };
  if (is_set("CLICOLOR_FORCE") && !equals("CLICOLOR_FORCE", "0")) return true;
  bool no_color = is_set("NO_COLOR") && !equals("NO_COLOR", "");
  bool clicolor_off = equals("CLICOLOR", "0");
  bool capable_terminal = is_set("TERM") && !equals("TERM", "dumb");
  return is_terminal && !no_color && !clicolor_off && (capable_terminal || is_set("CLICOLOR") || is_set("CI"));
}

}  // namespace ostrel
