#include "support/unicode_space.hpp"

#include <cstddef>

#include <utf8proc.h>

namespace ostrel {
namespace {

// The code points of the text one by one; an invalid sequence yields one byte as a non-space.
struct CodePointStep {
  char32_t code_point;
  size_t length;
};

CodePointStep next_code_point(std::string_view text, size_t position) {
  auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(text.data() + position);
  utf8proc_int32_t code_point;
  utf8proc_ssize_t length =
      utf8proc_iterate(bytes, static_cast<utf8proc_ssize_t>(text.size() - position), &code_point);
  if (length <= 0) return {U'\uFFFD', 1};
  return {static_cast<char32_t>(code_point), static_cast<size_t>(length)};
}

}  // namespace

bool is_unicode_space(char32_t code_point) {
  // The control characters with the property; every other one is a separator (Zs, Zl, Zp).
  if ((code_point >= U'\t' && code_point <= U'\r') || code_point == U'\u0085') return true;
  switch (utf8proc_category(static_cast<utf8proc_int32_t>(code_point))) {
    case UTF8PROC_CATEGORY_ZS:
    case UTF8PROC_CATEGORY_ZL:
    case UTF8PROC_CATEGORY_ZP:
      return true;
    default:
      return false;
  }
}

std::string_view trim_end_unicode_space(std::string_view text) {
  size_t kept = 0;
  for (size_t position = 0; position < text.size();) {
    CodePointStep step = next_code_point(text, position);
    position += step.length;
    if (!is_unicode_space(step.code_point)) kept = position;
  }
  return text.substr(0, kept);
}

std::string_view trim_unicode_space(std::string_view text) {
  size_t start = 0;
  while (start < text.size()) {
    CodePointStep step = next_code_point(text, start);
    if (!is_unicode_space(step.code_point)) break;
    start += step.length;
  }
  return trim_end_unicode_space(text.substr(start));
}

}  // namespace ostrel
