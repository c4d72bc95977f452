#pragma once
// The system library's entry: module functions such as "pacman.install" or "fs.read".
#include <optional>
#include <string_view>

#include "interpreter/output_sink.hpp"
#include "interpreter/value.hpp"
#include "support/result.hpp"

namespace ostrel::stdlib {

// No value when `name` belongs to no module (the caller reports "unknown builtin: {}"); otherwise
// the function's value or its error message. Lines of external programs go to `output`.
std::optional<Result<Value>> call(std::string_view name, const ValueList& arguments, OutputSink& output);

}  // namespace ostrel::stdlib
