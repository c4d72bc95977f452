#pragma once
// Writing the loop's own text to standard output. Write and flush errors (a closed pipe, a full
// disk) are ignored: the loop goes on either way.
#include <string_view>

namespace ostrel {

void write_stdout(std::string_view text);
void flush_stdout();

}  // namespace ostrel
