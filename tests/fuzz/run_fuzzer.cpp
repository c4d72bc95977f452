// Fuzz target: any bytes as a program, parsed and run in a fresh interpreter the way `ostrel eval`
// runs it, with the system library confined so that no input can harm the machine:
//  - only fake sudo, pacman, yay, systemctl and sh are on PATH, each printing its arguments;
//    system.exec refuses a program named by a path;
//  - the fs members work in a scratch directory and refuse paths that leave it;
//  - env.set, env.remove and env.load are refused, so PATH stays as set here.
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/interpreter.hpp"
#include "parser/parse_program.hpp"
#include "stdlib/library.hpp"
#include "support/big_stack.hpp"

namespace {

namespace fs = std::filesystem;

const char* const kFakes[] = {"pacman", "yay", "systemctl", "sh"};

// A scratch directory below $TMPDIR holding bin/ with the fake programs; it becomes the working
// directory.
void prepare_scratch_directory() {
  const char* temporary = getenv("TMPDIR");
  std::string pattern = std::string(temporary && *temporary ? temporary : "/tmp") + "/ostrel-fuzz.XXXXXX";
  const char* scratch = mkdtemp(pattern.data());
  if (!scratch) abort();
  fs::path bin = fs::path(scratch) / "bin";
  fs::create_directory(bin);
  auto write_fake = [&bin](const char* name, const char* body) {
    std::ofstream(bin / name) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(bin / name, fs::perms::owner_all);
  };
  // sudo runs what it is given, found on PATH, so only ever one of the fakes.
  write_fake("sudo", "case \"$1\" in */*) exit 1;; esac; exec \"$@\"");
  for (const char* name : kFakes) write_fake(name, "echo \"${0##*/}\" \"$@\"; echo done >&2");
  setenv("PATH", bin.c_str(), 1);
  if (chdir(scratch) != 0) abort();
}

bool is_text(ostrel::ValueSpan arguments, std::size_t index) {
  return arguments.size() > index && arguments[index].is(ostrel::Value::Kind::String);
}

// Whether the confined library lets the call through.
bool allowed(std::string_view name, ostrel::ValueSpan arguments) {
  if (name == "env.set" || name == "env.remove" || name == "env.load") return false;
  if (name == "system.exec") return !is_text(arguments, 0) || arguments[0].as_string().find('/') == std::string::npos;
  if (name.substr(0, 3) == "fs." && is_text(arguments, 0)) {
    const std::string& path = arguments[0].as_string();
    return path.find('/') == std::string::npos && path.find("..") == std::string::npos;
  }
  return true;
}

std::vector<ostrel::Module> confined_library() {
  std::vector<ostrel::Module> modules = ostrel::stdlib::modules();
  for (ostrel::Module& module : modules) {
    for (ostrel::Builtin& member : module.members) {
      member.function = [name = member.name, inner = member.function](ostrel::ValueSpan arguments,
                                                                      ostrel::Caller& caller) -> ostrel::Result<ostrel::Value> {
        if (!allowed(name, arguments)) return ostrel::Error{"refused by the fuzz target"};
        return inner(arguments, caller);
      };
    }
  }
  return modules;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // As the program does at start-up.
  signal(SIGPIPE, SIG_IGN);
  signal(SIGCHLD, SIG_DFL);
  prepare_scratch_directory();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<ostrel::Module> library = confined_library();
  std::string_view source(reinterpret_cast<const char*>(data), size);
  ostrel::run_on_big_stack([source] {
    auto program = ostrel::parse_program(source);
    if (!program) return 0;
    ostrel::Interpreter interpreter(std::make_unique<ostrel::CaptureSink>(), library);
    auto result = interpreter.run_program(*program.value());
    if (result) (void)ostrel::display_form(*result);
    return 0;
  });
  return 0;
}
