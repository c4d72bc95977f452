#include "repl/variable_listing.hpp"

#include <algorithm>

#include "interpreter/builtins.hpp"
#include "stdlib/library.hpp"
#include "support/utf8.hpp"

namespace ostrel {
namespace {

constexpr size_t kLongestShown = kDisplayBytesToShorten - 1;
constexpr size_t kShortenedPrefix = 77;

}  // namespace

bool is_predefined_name(std::string_view name) {
  const std::vector<Builtin>& builtins = ostrel::builtins();
  const std::vector<Module>& modules = stdlib::modules();
  return std::any_of(builtins.begin(), builtins.end(), [&](const Builtin& b) { return b.name == name; }) ||
         std::any_of(modules.begin(), modules.end(), [&](const Module& m) { return m.name == name; });
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
