#include "stdlib/call.hpp"

namespace ostrel::stdlib {

std::optional<Result<Value>> call(std::string_view, const ValueList&, OutputSink&) { return std::nullopt; }

}  // namespace ostrel::stdlib
