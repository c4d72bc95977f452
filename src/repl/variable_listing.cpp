#include "repl/variable_listing.hpp"

#include <algorithm>
#include <array>

namespace ostrel {
namespace {

constexpr size_t kLongestShown = kDisplayBytesToShorten - 1;
constexpr size_t kShortenedPrefix = 77;

bool is_continuation_byte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

bool is_predefined_name(std::string_view name) {
  static constexpr std::array<std::string_view, 18> kPredefined = {
      "print", "println", "len", "range", "str", "int", "float", "type", "map",
      "filter", "sum", "append", "pacman", "systemd", "aur", "fs", "env", "system"};
  return std::find(kPredefined.begin(), kPredefined.end(), name) != kPredefined.end();
}

std::string shorten_display(std::string text) {
  if (text.size() <= kLongestShown) return text;
  // Back off to the start of the character that the cut would split.
  size_t cut = kShortenedPrefix;
  while (cut > 0 && is_continuation_byte(text[cut])) --cut;
  text.resize(cut);
  text += "...";
  return text;
}

std::string format_variable_listing(std::vector<ListedVariable> variables) {
  if (variables.empty()) return "(no user-defined variables)\n";
  std::stable_sort(variables.begin(), variables.end(),
                   [](const ListedVariable& a, const ListedVariable& b) { return a.name < b.name; });
  std::string listing;
  for (const ListedVariable& variable : variables) {
    listing += "  ";
    listing += variable.name;
    listing += " = ";
    listing += variable.shown;
    listing += '\n';
  }
  return listing;
}

}  // namespace ostrel
