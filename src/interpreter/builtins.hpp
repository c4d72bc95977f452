#pragma once
// The twelve builtins: print, println, len, range, str, int, float, type, map, filter, sum, append.
#include <array>
#include <optional>
#include <string_view>

#include "interpreter/value.hpp"
#include "support/result.hpp"

namespace ostrel {

class Evaluator;

enum class Builtin : uint8_t { Print, Println, Len, Range, Str, Int, Float, Type, Map, Filter, Sum, Append };

// In the order they are bound in the global scope.
inline constexpr std::array<const char*, 12> kBuiltinNames = {
    "print", "println", "len", "range", "str", "int", "float", "type", "map", "filter", "sum", "append"};

// No value for names that are not builtins (module functions such as "fs.read").
std::optional<Builtin> builtin_named(std::string_view name);

// `map` and `filter` call back into the evaluator; `print` and `println` write to its output.
Result<Value> call_builtin(Builtin builtin, const ValueList& arguments, Evaluator& evaluator);

}  // namespace ostrel
