#include "parser/literal_values.hpp"

#include <cstdlib>
#include <limits>

namespace ostrel {

Result<std::int64_t> read_integer(std::string_view text) {
  if (text.empty()) return Error{"cannot parse integer from empty string"};
  bool negative = text.front() == '-';
  if (text.front() == '+' || text.front() == '-') text.remove_prefix(1);
  if (text.empty()) return Error{"invalid digit found in string"};
  // Accumulate towards the sign's side so that the most negative value is reachable.
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return Error{"invalid digit found in string"};
    int digit = c - '0';
    if (negative) {
      if (value < (std::numeric_limits<std::int64_t>::min() + digit) / 10)
        return Error{"number too small to fit in target type"};
      value = value * 10 - digit;
    } else {
      if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10)
        return Error{"number too large to fit in target type"};
      value = value * 10 + digit;
    }
  }
  return value;
}

Result<double> read_float(std::string_view text) {
  if (text.empty()) return Error{"cannot parse float from empty string"};
  // strtod also reads forms that are not decimal literals (hexadecimal, "inf", "nan").
  for (char c : text) {
    bool allowed = (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-';
    if (!allowed) return Error{"invalid float literal"};
  }
  std::string terminated(text);
  char* end = nullptr;
  double value = std::strtod(terminated.c_str(), &end);  // rounds correctly; saturates to infinity
  if (end != terminated.c_str() + terminated.size()) return Error{"invalid float literal"};
  return value;
}

std::string string_literal_value(std::string_view literal_text) {
  std::string_view body = literal_text.size() >= 2 ? literal_text.substr(1, literal_text.size() - 2) : "";
  std::string value;
  value.reserve(body.size());
  for (std::size_t i = 0; i < body.size(); ++i) {
    if (body[i] != '\\' || i + 1 == body.size()) {
      value += body[i];
      continue;
    }
    char escaped = body[++i];
    switch (escaped) {
      case 'n': value += '\n'; break;
      case 't': value += '\t'; break;
      case 'r': value += '\r'; break;
      case '0': value += '\0'; break;
      case '\\': case '"': case '\'': value += escaped; break;
      default: value += '\\'; value += escaped; break;
    }
  }
  return value;
}

}  // namespace ostrel
