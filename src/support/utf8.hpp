#pragma once
// UTF-8 text: decoding one character at a time, checking well-formedness, turning arbitrary
// bytes into text, and the Unicode character classes that formats use to treat any script's
// spaces and letters alike. Malformed bytes are always tolerated: each caller decides what they
// become.
#include <cstddef>
#include <string>
#include <string_view>

namespace ostrel {

// The error text for bytes that are not UTF-8 where text is required.
inline constexpr char kInvalidUtf8[] = "stream did not contain valid UTF-8";

// Whether `byte` continues a character rather than starting one.
inline bool is_continuation_byte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

struct DecodedChar {
  char32_t code_point;  // U+FFFD when `valid` is false
  std::size_t length;   // bytes consumed: 1 for a malformed byte
  bool valid;
};

// Decodes the character at the start of non-empty `text`. Well-formed means no overlong forms,
// no surrogates and nothing past U+10FFFF.
DecodedChar decode_utf8(std::string_view text);

// The offset of the first byte that is not part of a well-formed character, or npos.
std::size_t first_invalid_utf8(std::string_view text);

inline bool is_valid_utf8(std::string_view text) { return first_invalid_utf8(text) == std::string_view::npos; }

// Where the last character of `text` starts, found by stepping back over at most three
// continuation bytes; text.size() for empty text. The character there may be incomplete.
std::size_t last_character_start(std::string_view text);

// `bytes` with each maximal ill-formed subsequence replaced by U+FFFD; valid text is unchanged.
// For bytes that may not be UTF-8, such as file names.
std::string lossy_utf8(std::string_view bytes);

// The Unicode White_Space property: ASCII blanks and line breaks, NEL, no-break and other spaces,
// the line and paragraph separators.
bool is_white_space(char32_t code_point);

// Letters and digits of any script (general categories L and N).
bool is_alphanumeric(char32_t code_point);

std::string_view trim_white_space_start(std::string_view text);
std::string_view trim_white_space_end(std::string_view text);

}  // namespace ostrel
