#include "support/quoted_text.hpp"

#include <fmt/format.h>
#include <utf8proc.h>

#include "support/utf8.hpp"

namespace ostrel {
namespace {

bool extends_grapheme(char32_t code_point) {
  // Emoji modifiers join a grapheme like combining marks do, but they are visible symbols.
  if (code_point >= 0x1F3FB && code_point <= 0x1F3FF) return false;
  return utf8proc_get_property(static_cast<utf8proc_int32_t>(code_point))->boundclass == UTF8PROC_BOUNDCLASS_EXTEND;
}

bool is_printable(char32_t code_point) {
  switch (utf8proc_category(static_cast<utf8proc_int32_t>(code_point))) {
    case UTF8PROC_CATEGORY_CC:
    case UTF8PROC_CATEGORY_CF:
    case UTF8PROC_CATEGORY_CS:
    case UTF8PROC_CATEGORY_CO:
    case UTF8PROC_CATEGORY_CN:
    case UTF8PROC_CATEGORY_ZL:
    case UTF8PROC_CATEGORY_ZP:
      return false;
    case UTF8PROC_CATEGORY_ZS:
      return code_point == ' ';
    default:
      return true;
  }
}

const char* simple_escape(char32_t code_point) {
  switch (code_point) {
    case '\\': return "\\\\";
    case '"': return "\\\"";
    case '\t': return "\\t";
    case '\r': return "\\r";
    case '\n': return "\\n";
    case '\0': return "\\0";
    default: return nullptr;
  }
}

}  // namespace

std::string quoted_text(std::string_view text) {
  std::string result = "\"";
  while (!text.empty()) {
    DecodedChar c = decode_utf8(text);
    if (const char* escape = simple_escape(c.code_point)) {
      result += escape;
    } else if (extends_grapheme(c.code_point) || !is_printable(c.code_point)) {
      result += fmt::format("\\u{{{:x}}}", static_cast<std::uint32_t>(c.code_point));
    } else if (c.valid) {
      result.append(text.substr(0, c.length));
    } else {
      result += "\xEF\xBF\xBD";  // a malformed byte shows as the replacement character
    }
    text.remove_prefix(c.length);
  }
  result += '"';
  return result;
}

}  // namespace ostrel
