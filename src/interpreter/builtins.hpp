#pragma once
// The twelve builtins: print, println, len, range, str, int, float, type, map, filter, sum, append.
#include <array>
#include <cstdint>
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

// Whether a value is the builtin itself (scripts may bind its name to something else).
bool is_builtin(const Value& value, Builtin builtin);

// The integers a range(...) call lists, counted instead of stored.
struct IntRange {
  int64_t start = 0;
  int64_t step = 1;
  uint64_t count = 0;
  // Wrapping arithmetic gives the exact value, since every listed value fits in 64 bits.
  int64_t at(uint64_t i) const {
    return static_cast<int64_t>(static_cast<uint64_t>(start) + i * static_cast<uint64_t>(step));
  }
};

// The arguments of range(...) checked as range does, with its messages.
Result<IntRange> range_of(const ValueList& arguments);

// What loops, comprehensions, map, filter and sum walk: a value that should be a list, or the
// integers of a range(...) call that was never built.
class Sequence {
 public:
  Sequence() = default;
  explicit Sequence(Value value) : value_(std::move(value)) {}
  explicit Sequence(IntRange range) : range_(range), is_range_(true) {}
  bool is_walkable() const { return is_range_ || value_.is(Value::Kind::List); }
  bool is_range() const { return is_range_; }
  // Only for walkable sequences.
  uint64_t size() const { return is_range_ ? range_.count : value_.as_list().size(); }
  Value at(uint64_t i) const { return is_range_ ? Value::integer(range_.at(i)) : value_.as_list()[i]; }

 private:
  Value value_;
  IntRange range_;
  bool is_range_ = false;
};

// map, filter and sum over an evaluated sequence, with the checks that follow the argument
// count and the same messages as the builtins.
Result<Value> map_over(const Value& callee, const Sequence& items, Evaluator& evaluator);
Result<Value> filter_over(const Value& callee, const Sequence& items, Evaluator& evaluator);
Result<Value> sum_over(const Sequence& items);

// `map` and `filter` call back into the evaluator; `print` and `println` write to its output.
Result<Value> call_builtin(Builtin builtin, const ValueList& arguments, Evaluator& evaluator);

}  // namespace ostrel
