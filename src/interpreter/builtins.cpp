#include "interpreter/builtins.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "interpreter/limits.hpp"
#include "interpreter/operators.hpp"
#include "interpreter/truth.hpp"

namespace ostrel {
namespace {

using K = Value::Kind;

Result<Value> print(ValueSpan arguments, Caller& caller) {
  std::string line;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) line += ' ';
    arguments[i].display_to(line);
  }
  caller.output().write_line(line);
  return Value();
}

Result<Value> length(ValueSpan arguments, Caller&) {
  int64_t count;
  if (!arguments.empty() && length_of(arguments[0], count)) return Value::integer(count);
  return Error{"len() requires a list, string, or dict"};
}

// How many values start, start + step, ... lie before end, counted without overflow.
uint64_t range_count(int64_t start, int64_t end, int64_t step) {
  if (step > 0 ? start >= end : start <= end) return 0;
  uint64_t distance = step > 0 ? static_cast<uint64_t>(end) - static_cast<uint64_t>(start)
                               : static_cast<uint64_t>(start) - static_cast<uint64_t>(end);
  uint64_t stride = step > 0 ? static_cast<uint64_t>(step) : uint64_t{0} - static_cast<uint64_t>(step);
  return (distance - 1) / stride + 1;
}

Result<Value> range(ValueSpan arguments, Caller&) {
  OSTREL_TRY(range, range_of(arguments));
  OSTREL_TRY(items, room_for_results(Sequence(range)));
  for (uint64_t i = 0; i < range.count; ++i) items.push_back(Value::integer(range.at(i)));
  return Value::list(std::move(items));
}

// Truncates toward zero, saturating at the limits; NaN gives 0.
int64_t float_to_int(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9223372036854775808.0) return INT64_MAX;
  if (value <= -9223372036854775808.0) return INT64_MIN;
  return static_cast<int64_t>(value);
}

// An optional sign and one or more decimal digits, within 64 bits.
std::optional<int64_t> parse_int(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    uint64_t digit = static_cast<uint64_t>(text[i] - '0');
    if (magnitude > (limit - digit) / 10) return std::nullopt;
    magnitude = magnitude * 10 + digit;
  }
  return static_cast<int64_t>(negative ? uint64_t{0} - magnitude : magnitude);
}

Result<Value> to_int(ValueSpan arguments, Caller&) {
  const Value* v = arguments.empty() ? nullptr : &arguments[0];
  if (v && v->is(K::Int)) return *v;
  if (v && v->is(K::Float)) return Value::integer(float_to_int(v->as_float()));
  if (v && v->is(K::Bool)) return Value::integer(v->as_bool() ? 1 : 0);
  if (v && v->is(K::String)) {
    if (std::optional<int64_t> n = parse_int(v->as_string())) return Value::integer(*n);
    return Error{fmt::format("cannot convert '{}' to int", v->as_string())};
  }
  return Error{"int() requires a numeric or string argument"};
}

bool equals_ignoring_case(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != lower[i]) return false;
  return true;
}

size_t skip_digits(std::string_view text, size_t i) {
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  return i;
}

// Digits with an optional point (a digit on at least one side) and an optional exponent, or
// one of the words inf, infinity and nan in any case; an optional sign before either.
bool is_float_text(std::string_view text) {
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) text.remove_prefix(1);
  if (equals_ignoring_case(text, "inf") || equals_ignoring_case(text, "infinity") ||
      equals_ignoring_case(text, "nan"))
    return true;
  size_t i = skip_digits(text, 0);
  size_t digits = i;
  if (i < text.size() && text[i] == '.') {
    size_t after = skip_digits(text, i + 1);
    digits += after - (i + 1);
    i = after;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t after = skip_digits(text, i);
    if (after == i) return false;
    i = after;
  }
  return i == text.size();
}

Result<Value> to_float(ValueSpan arguments, Caller&) {
  const Value* v = arguments.empty() ? nullptr : &arguments[0];
  if (v && v->is(K::Int)) return Value::floating(static_cast<double>(v->as_int()));
  if (v && v->is(K::Float)) return *v;
  if (v && v->is(K::String)) {
    const std::string& text = v->as_string();
    // strtod rounds correctly and gives inf or 0 for values beyond the range of a double.
    if (is_float_text(text)) return Value::floating(std::strtod(text.c_str(), nullptr));
    return Error{fmt::format("cannot convert '{}' to float", text)};
  }
  return Error{"float() requires a numeric or string argument"};
}

Result<Value> map(ValueSpan arguments, Caller& caller) {
  if (arguments.size() != 2) return Error{"map() takes 2 arguments (function, list)"};
  return walk_over(BuiltinKind::Map, arguments[0], Sequence(arguments[1]), caller);
}

Result<Value> filter(ValueSpan arguments, Caller& caller) {
  if (arguments.size() != 2) return Error{"filter() takes 2 arguments (function, list)"};
  return walk_over(BuiltinKind::Filter, arguments[0], Sequence(arguments[1]), caller);
}

// Without an argument, sum has nothing to walk.
Result<Value> sum(ValueSpan arguments, Caller&) {
  return sum_over(arguments.empty() ? Sequence() : Sequence(arguments[0]));
}

// A String is its own text; an Int's digits need not go through the general display.
Result<Value> to_string(ValueSpan arguments, Caller&) {
  if (arguments.empty()) return Value::string(std::string());
  const Value& value = arguments[0];
  if (value.is(K::String)) return value;
  if (value.is(K::Int)) return Value::decimal(value.as_int());
  return Value::string(value.display());
}

Result<Value> type(ValueSpan arguments, Caller&) {
  return Value::string(arguments.empty() ? "None" : arguments[0].type_name());
}

Result<Value> append(ValueSpan arguments, Caller&) {
  if (arguments.size() != 2) return Error{"append() takes 2 arguments (list, item)"};
  if (!arguments[0].is(K::List)) return Error{kAppendToNonList};
  Value list = arguments[0];
  list.list_mut().push_back(arguments[1]);
  return list;
}

}  // namespace

const std::vector<Builtin>& builtins() {
  static const std::vector<Builtin> table = {
      {"print", print},
      {"println", print},
      {"len", length, BuiltinKind::Length},
      {"range", range, BuiltinKind::Range},
      {"str", to_string, BuiltinKind::Text},
      {"int", to_int},
      {"float", to_float},
      {"type", type},
      {"map", map, BuiltinKind::Map},
      {"filter", filter, BuiltinKind::Filter},
      {"sum", sum, BuiltinKind::Sum},
      {"append", append, BuiltinKind::Append},
  };
  return table;
}

const Builtin* builtin_named(std::string_view name) {
  auto found = std::find_if(builtins().begin(), builtins().end(), [&](const Builtin& b) { return b.name == name; });
  return found == builtins().end() ? nullptr : &*found;
}

Result<IntRange> range_of(ValueSpan arguments) {
  if (arguments.empty() || arguments.size() > 3) return Error{"range() takes 1-3 arguments"};
  for (const Value& argument : arguments)
    if (!argument.is(K::Int)) return Error{"range() requires integer arguments"};
  IntRange range;
  range.start = arguments.size() == 1 ? 0 : arguments[0].as_int();
  int64_t end = arguments.size() == 1 ? arguments[0].as_int() : arguments[1].as_int();
  range.step = arguments.size() == 3 ? arguments[2].as_int() : 1;
  if (range.step == 0) return Error{"range() step cannot be zero"};
  range.count = range_count(range.start, end, range.step);
  return range;
}

Result<ValueList> room_for_results(const Sequence& items) {
  if (items.is_range() && !fits_in_memory(items.size(), sizeof(Value))) return Error{kOutOfMemory};
  ValueList results;
  results.reserve(items.size());
  return results;
}

Result<Value> walk_over(BuiltinKind walker, const Value& callee, const Sequence& items, Caller& caller) {
  bool map = walker == BuiltinKind::Map;
  if (!items.is_walkable()) return Error{map ? "map() second argument must be a list" : "filter() second argument must be a list"};
  ValueList kept;
  if (map) {
    OSTREL_TRY(room, room_for_results(items));
    kept = std::move(room);
  }
  ValueList argument(1);
  for (uint64_t i = 0; i < items.size(); ++i) {
    argument[0] = items.at(i);
    OSTREL_TRY(result, caller.call_value(callee, argument));
    keep_result(walker, items, i, std::move(result), kept);
  }
  return Value::list(std::move(kept));
}

Result<Value> sum_over(const Sequence& items) {
  if (!items.is_walkable()) return Error{"sum() requires a list argument"};
  Value total = Value::integer(0);
  for (uint64_t i = 0; i < items.size(); ++i) {
    Value item = items.at(i);
    // Integers, the usual case, are added where the total is.
    if (total.is(K::Int) && item.is(K::Int) &&
        integer_operation(ast::BinaryOperator::Add, total.as_int(), item.as_int(), total))
      continue;
    OSTREL_TRY(next, binary_operation(ast::BinaryOperator::Add, total, item));
    total = std::move(next);
  }
  return total;
}

}  // namespace ostrel
