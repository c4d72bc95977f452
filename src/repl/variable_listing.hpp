#pragma once
// The `:env` listing of the user's variables.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

// One binding as the listing shows it: its name and the value's display form.
struct ListedVariable {
  std::string name;
  std::string shown;
};

// The builtins and module values that every fresh environment holds; the listing leaves them out.
bool is_predefined_name(std::string_view name);

// A display form of more than 80 bytes cut to at most 77 and "...", always at a character
// boundary so that the text stays valid UTF-8.
std::string shorten_display(std::string text);

// How much of a display form `shorten_display` needs: one byte more than it ever keeps whole.
inline constexpr std::size_t kDisplayBytesToShorten = 81;

// The listing's lines, each "  name = shown" and a newline, sorted by name (stable, so bindings
// of one name keep the order given, outer scope first); "(no user-defined variables)" when empty.
// Neither filters nor shortens.
std::string format_variable_listing(std::vector<ListedVariable> variables);

}  // namespace ostrel
