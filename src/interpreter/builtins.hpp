#pragma once
// Predefined functions as tables. Each builtin and each member of a library module is declared
// once, as an entry of its name and its function beside the code that implements it (the way
// Lua registers its libraries). A BuiltinFn value points at its entry, so a call runs the
// function without looking for a name; the global environment binds the entries of the
// builtins and of the modules it is given, in table order, and the REPL's listing knows the
// predefined names from the same tables.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/output_sink.hpp"
#include "interpreter/truth.hpp"
#include "interpreter/value.hpp"
#include "support/result.hpp"

namespace ostrel {

// What a builtin may use of the interpreter that calls it.
class Caller {
 public:
  // Where `print` and the programs run by the library write their lines.
  virtual OutputSink& output() = 0;
  // Applies any callee to already evaluated arguments (`map` and `filter` call back this way).
  virtual Result<Value> call_value(const Value& callee, const ValueList& arguments) = 0;

 protected:
  ~Caller() = default;
};

// The arguments a builtin is given (a ValueSpan) are valid for the call.
using BuiltinFunction = std::function<Result<Value>(ValueSpan arguments, Caller& caller)>;

// The builtins that lowering and the compiler know by identity: a call of range is walked
// without building its list, map, filter and sum walk theirs in the dispatch loop, and
// `x = append(x, item)` grows x in place, and len counts and str writes an Int's digits where
// they are called, for as long as the name stands for the builtin.
enum class BuiltinKind : uint8_t { Plain, Range, Map, Filter, Sum, Append, Length, Text };

struct Builtin {
  std::string name;  // as "<builtin:NAME>" shows it: "len", or "fs.read" for a module member
  BuiltinFunction function;
  BuiltinKind kind = BuiltinKind::Plain;
};

// A library module, bound in the global scope as a dictionary from each member's own name
// ("read") to its builtin ("fs.read"). Values point into `members`: a table is never changed
// once built.
struct Module {
  std::string name;
  std::vector<Builtin> members;

  std::string_view member_name(const Builtin& member) const {
    return std::string_view(member.name).substr(name.size() + 1);
  }
};

// The builtins, in the order the global scope binds them.
const std::vector<Builtin>& builtins();

// What `len` gives: the bytes of a String, the elements of a List, the pairs of a Dict; false
// for anything else.
inline bool length_of(const Value& value, int64_t& out) {
  switch (value.kind()) {
    case Value::Kind::String: out = static_cast<int64_t>(value.as_string().size()); return true;
    case Value::Kind::List: out = static_cast<int64_t>(value.as_list().size()); return true;
    case Value::Kind::Dict: out = static_cast<int64_t>(value.as_dict().size()); return true;
    default: return false;
  }
}

// The builtin of that name, or null (module members are not builtins).
const Builtin* builtin_named(std::string_view name);

// Whether a value is the builtin of that kind (scripts may bind its name to something else).
inline bool is_builtin(const Value& value, BuiltinKind kind) {
  return value.is(Value::Kind::BuiltinFn) && value.as_builtin().kind == kind;
}

inline constexpr const char* kAppendToNonList = "append() first argument must be a list";

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
Result<IntRange> range_of(ValueSpan arguments);

// What loops, comprehensions, map, filter and sum walk: a value that should be a list, or the
// integers of a range(...) call that was never built.
class Sequence {
 public:
  Sequence() = default;
  explicit Sequence(Value value) : value_(std::move(value)) {
    if (value_.is(Value::Kind::List)) items_ = value_.as_list().begin();
  }
  explicit Sequence(IntRange range) : range_(range), is_range_(true) {}
  bool is_walkable() const { return is_range_ || value_.is(Value::Kind::List); }
  bool is_range() const { return is_range_; }
  // Only for walkable sequences.
  uint64_t size() const { return is_range_ ? range_.count : value_.as_list().size(); }
  Value at(uint64_t i) const { return is_range_ ? Value::integer(range_.at(i)) : items_[i]; }

 private:
  Value value_;
  // A list's elements, read straight: value_ holds the list, which no one changes while it does.
  const Value* items_ = nullptr;
  IntRange range_;
  bool is_range_ = false;
};

// Room for one result per element of `items`. A range, which was never built, is refused when
// its results would not fit, before anything is built.
Result<ValueList> room_for_results(const Sequence& items);

// What map (every result) or filter (the elements whose result is true) keeps of the call of its
// function on element `i` of the items; the dispatch loop's walks keep theirs the same way, once
// per element, hence inline. Filter's first kept element makes room for a few more (no more than
// are left), so that a short filter allocates once instead of once per doubling.
inline void keep_result(BuiltinKind walker, const Sequence& items, uint64_t i, Value&& result, ValueList& kept) {
  constexpr uint64_t kFewKept = 8;
  if (walker == BuiltinKind::Map) {
    kept.push_back(std::move(result));
  } else if (is_true(result)) {
    if (kept.empty()) kept.reserve(std::min(items.size() - i, kFewKept));
    kept.push_back(items.at(i));
  }
}

// The walks of map and filter (`walker`) and of sum over an evaluated sequence, with the checks
// that follow the argument count.
Result<Value> walk_over(BuiltinKind walker, const Value& callee, const Sequence& items, Caller& caller);
Result<Value> sum_over(const Sequence& items);

}  // namespace ostrel
