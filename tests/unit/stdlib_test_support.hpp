#pragma once
// Helpers for the system-library tests: calls with a capturing sink, a scratch directory, and
// fake programs on PATH that record how they were run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "interpreter/builtins.hpp"
#include "interpreter/output_sink.hpp"
#include "interpreter/value.hpp"
#include "stdlib/library.hpp"

namespace ostrel::test {

using namespace std::string_literals;

inline Value text(std::string s) { return Value::string(std::move(s)); }

// The member of a result dictionary under `key`.
inline Value field(const Value& dict, const std::string& key) {
  for (const auto& [k, v] : dict.as_dict()) {
    if (k.is(Value::Kind::String) && k.as_string() == key) return v;
  }
  ADD_FAILURE() << "no key " << key << " in " << dict.display();
  return Value::none();
}

inline std::string read_whole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

inline void write_whole(const std::filesystem::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// The library member named like "fs.read", or null.
inline const Builtin* library_member(std::string_view name) {
  for (const Module& module : stdlib::modules()) {
    for (const Builtin& member : module.members)
      if (member.name == name) return &member;
  }
  return nullptr;
}

// A fresh directory, made the current one, and an environment restored afterwards.
class StdlibTest : public ::testing::Test, public Caller {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "ostrel-stdlib-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    old_cwd_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    const char* path = std::getenv("PATH");
    old_path_ = path ? path : "";
  }
  void TearDown() override {
    std::filesystem::current_path(old_cwd_);
    setenv("PATH", old_path_.c_str(), 1);
    unsetenv("FAKE_LOG");
    unsetenv("FAKE_SCRIPT");
    std::filesystem::remove_all(dir_);
  }

  // Members write to sink_ and never call back.
  OutputSink& output() override { return sink_; }
  Result<Value> call_value(const Value&, const ValueList&) override { return Error{"no callbacks in these tests"}; }

  // The member's result, or the error "no such member".
  Result<Value> call(const std::string& name, const ValueList& arguments) {
    const Builtin* member = library_member(name);
    if (member == nullptr) return Error{"no such member"};
    return member->function(arguments, *this);
  }

  // The call's value; a failed call is a test failure.
  Value ok(const std::string& name, const ValueList& arguments) {
    auto result = call(name, arguments);
    EXPECT_TRUE(result.ok()) << name << ": " << result.error();
    return result.ok() ? result.value() : Value::none();
  }

  // The call's error message; a successful call is a test failure.
  std::string error(const std::string& name, const ValueList& arguments) {
    auto result = call(name, arguments);
    EXPECT_FALSE(result.ok()) << name << " gave " << result.value().display();
    return result.ok() ? "" : result.error();
  }

  // Puts `sudo` (which records itself and runs its arguments), `pacman`, `yay` and `systemctl`
  // on PATH. Each appends "name [arg] [arg]..." to the log, then runs $FAKE_SCRIPT.
  void install_fakes() {
    std::filesystem::create_directory(dir_ / "bin");
    const std::string record =
        "#!/bin/sh\n"
        "{ printf '%s' \"${0##*/}\"; for a in \"$@\"; do printf ' [%s]' \"$a\"; done; echo; } >>\"$FAKE_LOG\"\n";
    add_program("sudo", record + "exec \"$@\"\n");
    for (const char* name : {"pacman", "yay", "systemctl"}) add_program(name, record + "eval \"$FAKE_SCRIPT\"\n");
    setenv("FAKE_LOG", (dir_ / "log").c_str(), 1);
    setenv("FAKE_SCRIPT", "", 1);
    setenv("PATH", ((dir_ / "bin").string() + ":/usr/bin:/bin").c_str(), 1);
  }

  void add_program(const std::string& name, const std::string& script) {
    std::filesystem::create_directories(dir_ / "bin");
    write_whole(dir_ / "bin" / name, script);
    std::filesystem::permissions(dir_ / "bin" / name, std::filesystem::perms::owner_all);
  }

  std::string log() { return read_whole(dir_ / "log"); }

  std::filesystem::path dir_;
  CaptureSink sink_;

 private:
  std::filesystem::path old_cwd_;
  std::string old_path_;
};

}  // namespace ostrel::test
