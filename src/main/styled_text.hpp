#pragma once
// Text of help and usage messages with style marks, rendered with or without terminal colours.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

enum class Style {
  Plain,
  Error,    // "error:"
  Header,   // section headers and "Usage:"
  Literal,  // command, subcommand and option names to type as shown
  Valid,    // suggestions and expected arguments
  Invalid,  // what the user typed wrongly
};

class StyledText {
 public:
  StyledText& add(std::string_view text, Style style = Style::Plain);
  StyledText& add(const StyledText& other);
  // Without colour the text carries no escape sequences at all.
  std::string render(bool colour) const;

 private:
  struct Piece {
    Style style;
    std::string text;
  };
  std::vector<Piece> pieces_;
};

using EnvironmentLookup = std::function<const char*(const char* name)>;

// Whether a stream gets colours: a terminal, unless NO_COLOR is non-empty or CLICOLOR is "0", and
// only with a capable TERM, CLICOLOR or CI; or always when CLICOLOR_FORCE is set and not "0".
bool colour_wanted(bool is_terminal, const EnvironmentLookup& environment);

}  // namespace ostrel
