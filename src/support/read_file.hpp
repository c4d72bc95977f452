#pragma once
// Whole-file reading as UTF-8 text, with the error texts users see.
#include <cstddef>
#include <cstdint>
#include <string>

#include "support/result.hpp"

namespace ostrel {

// The file's bytes, or an OS error text.
Result<std::string> read_file_bytes(const std::string& path);

// The file's contents, or an OS error text, or "stream did not contain valid UTF-8". A file of
// more than `max_bytes` gives the error text of EFBIG.
Result<std::string> read_text_file(const std::string& path, std::size_t max_bytes = SIZE_MAX);

}  // namespace ostrel
