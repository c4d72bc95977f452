#pragma once
// Runs one external program to its end, no shell in between.
#include <string>
#include <vector>

#include "interpreter/output_sink.hpp"
#include "interpreter/value.hpp"

namespace ostrel::stdlib {

// Each standard-output line goes to `output` as it arrives; the standard-error lines follow once
// standard output has ended. Always gives the command result
// {success: Bool, output: String, code: Int, command: String}, also when nothing could be started.
Value run_command(const std::string& program, const std::vector<std::string>& arguments, OutputSink& output);

}  // namespace ostrel::stdlib
