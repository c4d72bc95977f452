#pragma once
// Jaro similarity of two texts, compared code point by code point: 1 for equal texts, 0 for texts
// with nothing in common. Used to suggest the subcommand or option a user probably meant.
#include <string_view>

namespace ostrel {

double jaro_similarity(std::string_view a, std::string_view b);

}  // namespace ostrel
