#include "support/lossy_utf8.hpp"

namespace ostrel {
namespace {

struct Sequence {
  size_t length;  // bytes taken: the whole character, or the ill-formed part to replace
  bool valid;
};

bool in_range(unsigned char byte, unsigned char low, unsigned char high) { return byte >= low && byte <= high; }

// The character starting at `at`, or the longest prefix of one that could still have been valid.
Sequence sequence_at(std::string_view bytes, size_t at) {
  auto lead = static_cast<unsigned char>(bytes[at]);
  if (lead < 0x80) return {1, true};
  size_t continuations = 0;
  unsigned char second_low = 0x80, second_high = 0xBF;
  if (in_range(lead, 0xC2, 0xDF)) {
    continuations = 1;
  } else if (in_range(lead, 0xE0, 0xEF)) {
    continuations = 2;
    if (lead == 0xE0) second_low = 0xA0;   // no overlong forms
    if (lead == 0xED) second_high = 0x9F;  // no surrogates
  } else if (in_range(lead, 0xF0, 0xF4)) {
    continuations = 3;
    if (lead == 0xF0) second_low = 0x90;
    if (lead == 0xF4) second_high = 0x8F;  // nothing past U+10FFFF
  } else {
    return {1, false};
  }
  size_t length = 1;
  while (length <= continuations && at + length < bytes.size()) {
    auto byte = static_cast<unsigned char>(bytes[at + length]);
    bool fits = length == 1 ? in_range(byte, second_low, second_high) : in_range(byte, 0x80, 0xBF);
    if (!fits) break;
    ++length;
  }
  return {length, length == continuations + 1};
}

}  // namespace

std::string lossy_utf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (size_t at = 0; at < bytes.size();) {
    Sequence sequence = sequence_at(bytes, at);
    if (sequence.valid) {
      text.append(bytes.substr(at, sequence.length));
    } else {
      text.append("\xEF\xBF\xBD");
    }
    at += sequence.length;
  }
  return text;
}

}  // namespace ostrel
