// Whole text files, directory listings, and creating and removing paths.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <system_error>

#include <fmt/core.h>

#include "stdlib/module.hpp"
#include "support/io.hpp"
#include "support/os_error.hpp"
#include "support/utf8.hpp"

namespace ostrel::stdlib {
namespace {

using PathOperation = Result<Value> (*)(const std::string& path);

bool holds_nul(const std::string& path) { return path.find('\0') != std::string::npos; }

bool is_directory(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Gives `operation` the path from argument 1 and prefixes its error text with the call, as in
// fs.read("/etc/x"): No such file or directory (os error 2).
Result<Value> on_path(const Arguments& arguments, const std::string& path,
                      const std::function<Result<Value>(const std::string&)>& operation) {
  // A C string would end at the NUL and name a different file.
  Result<Value> result = holds_nul(path) ? Error{"file name contained an unexpected NUL byte"} : operation(path);
  if (result) return result;
  return Error{fmt::format("{}(\"{}\"): {}", arguments.function_name(), path, result.error())};
}

Result<Value> on_path_argument(const Arguments& arguments, PathOperation operation) {
  OSTREL_TRY(path, arguments.text(1));
  return on_path(arguments, path, operation);
}

Result<Value> read_file(const std::string& path) {
  OSTREL_TRY(content, read_text_file(path));
  return Value::string(std::move(content));
}

Result<Value> write_file(const std::string& path, const std::string& content) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (fd.get() < 0) return Error{os_error_text(errno)};
  size_t written = 0;
  while (written < content.size()) {
    ssize_t count = ::write(fd.get(), content.data() + written, content.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return Error{os_error_text(errno)};
    written += static_cast<size_t>(count);
  }
  return Value::boolean(true);
}

Result<Value> list_directory(const std::string& path) {
  std::unique_ptr<DIR, int (*)(DIR*)> directory(::opendir(path.c_str()), ::closedir);
  if (!directory) return Error{os_error_text(errno)};
  ValueList names;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(directory.get());
    if (entry == nullptr) break;
    std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.push_back(Value::string(lossy_utf8(name)));
  }
  if (errno != 0) return Error{os_error_text(errno)};
  return Value::list(std::move(names));
}

std::string parent_of(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  path.resize(slash);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path.empty() ? "/" : path;
}

// 0, or the error number of the step that failed. A directory that is already there is fine.
int create_directories(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return 0;
  int error = errno;
  std::string parent = parent_of(path);
  if (error == ENOENT && !parent.empty() && parent != path) {
    int parent_error = create_directories(parent);
    if (parent_error != 0) return parent_error;
    if (::mkdir(path.c_str(), 0777) == 0) return 0;
    error = errno;
  }
  return is_directory(path) ? 0 : error;
}

Result<Value> make_directories(const std::string& path) {
  int error = create_directories(path);
  if (error != 0) return Error{os_error_text(error)};
  return Value::boolean(true);
}

// A directory goes with everything in it; symbolic links inside are removed, never followed.
// A link to a directory loses only the link.
Result<Value> remove_path(const std::string& path) {
  if (is_directory(path)) {
    std::error_code error;
    std::filesystem::remove_all(path, error);
    if (error) return Error{os_error_text(error.value())};
  } else if (::unlink(path.c_str()) != 0) {
    return Error{os_error_text(errno)};
  }
  return Value::boolean(true);
}

Result<Value> read(const Arguments& arguments, OutputSink&) { return on_path_argument(arguments, read_file); }

Result<Value> write(const Arguments& arguments, OutputSink&) {
  OSTREL_TRY(path, arguments.text(1));
  OSTREL_TRY(content, arguments.text(2));
  return on_path(arguments, path, [&](const std::string& checked) { return write_file(checked, content); });
}

Result<Value> exists(const Arguments& arguments, OutputSink&) {
  OSTREL_TRY(path, arguments.text(1));
  struct stat status;
  return Value::boolean(!holds_nul(path) && ::stat(path.c_str(), &status) == 0);
}

Result<Value> ls(const Arguments& arguments, OutputSink&) { return on_path_argument(arguments, list_directory); }

Result<Value> mkdir(const Arguments& arguments, OutputSink&) {
  return on_path_argument(arguments, make_directories);
}

Result<Value> remove(const Arguments& arguments, OutputSink&) { return on_path_argument(arguments, remove_path); }

}  // namespace

Module fs_module() {
  return module("fs", {
      {"read", read},
      {"write", write},
      {"exists", exists},
      {"ls", ls},
      {"mkdir", mkdir},
      {"remove", remove},
  });
}

}  // namespace ostrel::stdlib
