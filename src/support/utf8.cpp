#include "support/utf8.hpp"

#include <utf8proc.h>

namespace ostrel {

DecodedChar decode_utf8(std::string_view text) {
  utf8proc_int32_t code_point;
  utf8proc_ssize_t length = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                                             static_cast<utf8proc_ssize_t>(text.size()), &code_point);
  if (length <= 0) return {0xFFFD, 1, false};
  return {static_cast<char32_t>(code_point), static_cast<std::size_t>(length), true};
}

}  // namespace ostrel
