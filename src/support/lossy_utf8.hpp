#pragma once
// Text from bytes that may not be UTF-8, such as file names.
#include <string>
#include <string_view>

namespace ostrel {

// `bytes` with each maximal ill-formed subsequence replaced by U+FFFD; valid text is unchanged.
std::string lossy_utf8(std::string_view bytes);

}  // namespace ostrel
