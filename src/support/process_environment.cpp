#include "support/process_environment.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "support/io.hpp"
#include "support/os_error.hpp"
#include "support/result.hpp"
#include "support/utf8.hpp"

namespace ostrel {

bool is_valid_variable_name(std::string_view name) {
  return !name.empty() && name.find_first_of(std::string_view("=\0", 2)) == std::string_view::npos;
}

bool is_valid_variable_value(std::string_view value) { return value.find('\0') == std::string_view::npos; }

std::optional<std::string> text_variable(const std::string& name) {
  if (!is_valid_variable_name(name)) return std::nullopt;
  const char* value = std::getenv(name.c_str());
  if (value == nullptr || !is_valid_utf8(value)) return std::nullopt;
  return std::string(value);
}

}  // namespace ostrel

namespace ostrel::dotenv {
namespace {

Result<std::string> current_directory() {
  std::unique_ptr<char, decltype(&std::free)> path(getcwd(nullptr, 0), &std::free);
  if (!path) return Error{os_error_text(errno)};
  return std::string(path.get());
}

std::string parent_of(const std::string& directory) {
  std::size_t slash = directory.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : directory.substr(0, slash);
}

std::string join(const std::string& directory, std::string_view name) {
  if (!name.empty() && name.front() == '/') return std::string(name);
  return directory.back() == '/' ? directory + std::string(name) : directory + "/" + std::string(name);
}

// The first regular file called `name` in the current directory or one of its parents.
Result<std::string> find_upward(std::string_view name) {
  if (name.find('\0') != std::string_view::npos) return Error{"file name contained an unexpected NUL byte"};
  OSTREL_TRY(directory, current_directory());
  for (std::string dir = std::move(directory);; dir = parent_of(dir)) {
    std::string candidate = join(dir, name);
    struct stat info;
    if (stat(candidate.c_str(), &info) == 0) {
      if (S_ISREG(info.st_mode)) return candidate;
    } else if (errno != ENOENT) {
      return Error{os_error_text(errno)};
    }
    if (dir == "/") return Error{"path not found"};
  }
}

// Variables already set keep their value, unless it is not text. Keys are never empty and hold
// no '=' or NUL, so only a value can be one the platform refuses.
std::optional<std::string> set_if_unset(const Entry& entry) {
  if (text_variable(entry.key)) return std::nullopt;
  if (!is_valid_variable_value(entry.value)) return "invalid variable value";
  if (setenv(entry.key.c_str(), entry.value.c_str(), 1) != 0) return os_error_text(errno);
  return std::nullopt;
}

}  // namespace

std::optional<std::string> load(std::string_view file_name) {
  Result<std::string> path = find_upward(file_name);
  if (!path) return path.error();
  Result<std::string> content = read_file_bytes(path.value());
  if (!content) return content.error();
  return read_entries(content.value(), text_variable, set_if_unset);
}

}  // namespace ostrel::dotenv
