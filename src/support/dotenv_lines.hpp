#pragma once
// The lines of a `.env` file as its entries see them: comment lines become empty, a quote left
// open continues onto the next line (keeping the line break), a blank followed by "#" starts a
// comment, and the final "\n" or "\r\n" is dropped.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "support/result.hpp"

namespace ostrel::dotenv {

// "Error parsing line: '{line}', error at line index: {index}".
std::string line_error(std::string_view line, std::size_t index);

class LogicalLines {
 public:
  // `content` must outlive the reader.
  explicit LogicalLines(std::string_view content) : rest_(content) {}

  // The next line; no value at the end of the content; an error for a line that is not UTF-8 or
  // for content that ends inside a quote, after an escape or after a trailing blank.
  std::optional<Result<std::string>> next();

 private:
  std::string_view rest_;
};

}  // namespace ostrel::dotenv
