#include "support/utf8.hpp"

#include <utf8proc.h>

namespace ostrel {
namespace {

struct Sequence {
  char32_t code_point;
  std::size_t length;  // bytes taken: the whole character, or the ill-formed part to replace
  bool valid;
};

bool in_range(unsigned char byte, unsigned char low, unsigned char high) { return byte >= low && byte <= high; }

// The character starting at `at`, or the longest prefix of one that could still have been
// well-formed (at least one byte).
Sequence sequence_at(std::string_view bytes, std::size_t at) {
  auto lead = static_cast<unsigned char>(bytes[at]);
  if (lead < 0x80) return {lead, 1, true};
  std::size_t continuations = 0;
  unsigned char second_low = 0x80, second_high = 0xBF;
  char32_t code_point = 0;
  if (in_range(lead, 0xC2, 0xDF)) {
    continuations = 1;
    code_point = lead & 0x1F;
  } else if (in_range(lead, 0xE0, 0xEF)) {
    continuations = 2;
    code_point = lead & 0x0F;
    if (lead == 0xE0) second_low = 0xA0;   // no overlong forms
    if (lead == 0xED) second_high = 0x9F;  // no surrogates
  } else if (in_range(lead, 0xF0, 0xF4)) {
    continuations = 3;
    code_point = lead & 0x07;
    if (lead == 0xF0) second_low = 0x90;
    if (lead == 0xF4) second_high = 0x8F;  // nothing past U+10FFFF
  } else {
    return {0xFFFD, 1, false};
  }
  std::size_t length = 1;
  while (length <= continuations && at + length < bytes.size()) {
    auto byte = static_cast<unsigned char>(bytes[at + length]);
    bool fits = length == 1 ? in_range(byte, second_low, second_high) : in_range(byte, 0x80, 0xBF);
    if (!fits) break;
    code_point = (code_point << 6) | (byte & 0x3F);
    ++length;
  }
  if (length != continuations + 1) return {0xFFFD, length, false};
  return {code_point, length, true};
}

}  // namespace

DecodedChar decode_utf8(std::string_view text) {
  Sequence sequence = sequence_at(text, 0);
  return {sequence.code_point, sequence.valid ? sequence.length : 1, sequence.valid};
}

std::size_t first_invalid_utf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    if (static_cast<unsigned char>(text[at]) < 0x80) {  // ASCII, by far the most common
      ++at;
      continue;
    }
    Sequence sequence = sequence_at(text, at);
    if (!sequence.valid) return at;
    at += sequence.length;
  }
  return std::string_view::npos;
}

std::size_t last_character_start(std::string_view text) {
  std::size_t start = text.size();
  while (start > 0 && text.size() - start < 4) {
    --start;
    if (!is_continuation_byte(text[start])) break;
  }
  return start;
}

std::string lossy_utf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
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

bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool is_alphanumeric(char32_t code_point) {
  switch (utf8proc_category(static_cast<utf8proc_int32_t>(code_point))) {
    case UTF8PROC_CATEGORY_LU:
    case UTF8PROC_CATEGORY_LL:
    case UTF8PROC_CATEGORY_LT:
    case UTF8PROC_CATEGORY_LM:
    case UTF8PROC_CATEGORY_LO:
    case UTF8PROC_CATEGORY_ND:
    case UTF8PROC_CATEGORY_NL:
    case UTF8PROC_CATEGORY_NO:
      return true;
    default:
      return false;
  }
}

std::string_view trim_white_space_start(std::string_view text) {
  while (!text.empty()) {
    DecodedChar c = decode_utf8(text);
    if (!c.valid || !is_white_space(c.code_point)) break;
    text.remove_prefix(c.length);
  }
  return text;
}

namespace {

// The length of the white-space character that ends `text`, or 0 when another character, a
// malformed byte or nothing ends it.
std::size_t trailing_white_space_length(std::string_view text) {
  std::size_t start = last_character_start(text);
  if (start == text.size()) return 0;
  DecodedChar c = decode_utf8(text.substr(start));
  bool ends_text = start + c.length == text.size();
  return c.valid && ends_text && is_white_space(c.code_point) ? c.length : 0;
}

}  // namespace

// From the end, so that trimming a long text that ends in a short tail costs only the tail (the
// interactive loop trims its whole pending input after every line).
std::string_view trim_white_space_end(std::string_view text) {
  while (std::size_t length = trailing_white_space_length(text)) text.remove_suffix(length);
  return text;
}

}  // namespace ostrel
