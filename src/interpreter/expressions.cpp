// Indexing and member access off the dispatch loop's fast paths, with their errors.
#include <fmt/format.h>

#include "interpreter/evaluator.hpp"
#include "interpreter/limits.hpp"
#include "interpreter/operators.hpp"

namespace ostrel {
namespace {

using K = Value::Kind;

// A position counted from the end when negative.
int64_t position_in(int64_t index, int64_t size) { return index >= 0 ? index : index + size; }

std::string out_of_bounds(int64_t position) { return fmt::format("index {} out of bounds", position); }

}  // namespace

bool Evaluator::index_value(const Value& target, const Value& index, Value& out) {
  if (target.is(K::Dict)) {
    if (const Value* value = target.find(index)) {
      out = *value;
      return true;
    }
    return fail(fmt::format("key not found: {}", index.display()));
  }
  if (!index.is(K::Int)) return fail("cannot index this value");
  if (target.is(K::List)) {
    const ValueList& items = target.as_list();
    int64_t position = position_in(index.as_int(), static_cast<int64_t>(items.size()));
    if (position < 0 || position >= static_cast<int64_t>(items.size())) return fail(out_of_bounds(position));
    out = items[position];
    return true;
  }
  if (target.is(K::String)) {
    int64_t size = target.character_count();
    int64_t position = position_in(index.as_int(), size);
    if (position < 0 || position >= size) return fail(out_of_bounds(position));
    out = target.character_at(position);
    return true;
  }
  return fail("cannot index this value");
}

bool Evaluator::member_value(const Value& object, const Value& name, Value& out) {
  if (!object.is(K::Dict)) return fail(fmt::format("member access on unsupported type: {}", object.display()));
  if (const Value* value = object.find(name)) {
    out = *value;
    return true;
  }
  return fail(fmt::format("no member '{}' found", name.as_string()));
}

}  // namespace ostrel
