#include "support/utf8_scan.hpp"

#include "support/utf8.hpp"

namespace ostrel {

std::size_t first_invalid_utf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    if (static_cast<unsigned char>(text[at]) < 0x80) {  // ASCII, by far the most common
      ++at;
      continue;
    }
    DecodedChar decoded = decode_utf8(text.substr(at));
    if (!decoded.valid) return at;
    at += decoded.length;
  }
  return std::string_view::npos;
}

}  // namespace ostrel
