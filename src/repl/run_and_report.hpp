#pragma once
// The one way from a source text to what the user sees, shared by `run`, `eval` and the
// interactive loop: parse the text, run it in the interpreter given, then write its value (unless
// None) on standard output, or its one error line on the error stream given: standard error for a
// command, standard output for the loop, which writes everything there. The subcommands and the
// loop write all their error lines, these and the others ("Error reading file ...", ...), through
// write_error_line; only the command line's usage messages have their own (main/cli).
//
// Write errors (a closed pipe, a full disk) are ignored: the outcome is still returned, and
// nothing else could be told.
#include <cstdio>
#include <functional>
#include <string_view>

#include "interpreter/interpreter.hpp"

namespace ostrel {

inline constexpr std::string_view kParseErrorPrefix = "Parse error: ";
inline constexpr std::string_view kRuntimeErrorPrefix = "Runtime error: ";

// Writes `prefix`, `message` and a newline on `stream` in one piece, so that nothing else is
// interleaved with it, and flushes it.
void write_error_line(std::FILE* stream, std::string_view prefix, std::string_view message);

// Writes on standard output, keeping an error from one write from swallowing the next ones.
void write_stdout(std::string_view text);
void flush_stdout();

// Parses and runs `source`, then calls `after_run` if it ran (whatever its outcome: the loop
// writes the lines the input printed there), then writes the value or the error, and flushes
// standard output. True when the text parsed and ran to its end and its value could be shown.
bool run_and_report(std::string_view source, Interpreter& interpreter, std::FILE* errors,
                    const std::function<void()>& after_run = {});

}  // namespace ostrel
