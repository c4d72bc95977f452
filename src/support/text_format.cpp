#include "support/text_format.hpp"

#include <fmt/format.h>
#include <utf8proc.h>

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "support/utf8.hpp"

namespace ostrel {

namespace {

struct Digits {
  bool negative;
  std::string digits;  // significant digits, no leading or trailing zeros (except "0")
  int exponent;        // value = d.ddd x 10^exponent
};

// Splits the shortest scientific form of a finite value into sign, digits and exponent.
Digits shortest_digits(double value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  std::string text(buffer, result.ptr);
  Digits d{false, "", 0};
  size_t pos = 0;
  if (text[pos] == '-') { d.negative = true; ++pos; }
  size_t e = text.find('e');
  for (size_t i = pos; i < e; ++i)
    if (text[i] != '.') d.digits += text[i];
  d.exponent = std::atoi(text.c_str() + e + 1);
  while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

// Writes digits d1d2d3... scaled by 10^exponent (the first digit's place) positionally.
std::string positional(const Digits& d) {
  std::string out = d.negative ? "-" : "";
  int point = d.exponent + 1;  // digits before the decimal point
  int count = static_cast<int>(d.digits.size());
  if (point <= 0) {
    out += "0.";
    out.append(static_cast<size_t>(-point), '0');
    out += d.digits;
  } else if (point >= count) {
    out += d.digits;
    out.append(static_cast<size_t>(point - count), '0');
  } else {
    out += d.digits.substr(0, point);
    out += '.';
    out += d.digits.substr(point);
  }
  return out;
}

}  // namespace

std::string float_display(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  return positional(shortest_digits(value));
}

std::string float_debug(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  Digits d = shortest_digits(value);
  double magnitude = std::fabs(value);
  if (magnitude == 0.0 || (magnitude >= 1e-4 && magnitude < 1e16)) {
    std::string out = positional(d);
    if (out.find('.') == std::string::npos) out += ".0";
    return out;
  }
  std::string out = d.negative ? "-" : "";
  out += d.digits[0];
  if (d.digits.size() > 1) {
    out += '.';
    out += d.digits.substr(1);
  }
  out += 'e';
  out += std::to_string(d.exponent);
  return out;
}

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
