#include "main/error_output.hpp"

#include <cstdio>
#include <string>

namespace ostrel {

void print_error(std::string_view prefix, std::string_view message) {
  std::string line;
  line.reserve(prefix.size() + message.size() + 1);
  line.append(prefix).append(message).push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  std::clearerr(stderr);
}

}  // namespace ostrel
