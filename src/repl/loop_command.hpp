#pragma once
// The words that start with a colon and steer the loop instead of running as code.
#include <string_view>

namespace ostrel {

enum class LoopCommand { Quit, Help, ListVariables, Reset, ShowTree, NotACommand };

// Classifies a line trimmed at both ends; the match is exact and case-sensitive. ":ast" followed
// by one blank shows a tree; ":ast" alone, ":q!" and other colon words are code.
LoopCommand classify_command(std::string_view trimmed_line);

// The text that follows ":ast " in a ShowTree line (blanks after it included).
std::string_view tree_source(std::string_view trimmed_line);

extern const std::string_view kHelpText;

}  // namespace ostrel
