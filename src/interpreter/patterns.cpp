#include "interpreter/patterns.hpp"

namespace ostrel {
namespace {

using Kind = code::Pattern::Kind;

bool match_elements(const std::vector<code::Pattern>& patterns, ValueSpan values, Bindings& bindings) {
  for (size_t i = 0; i < patterns.size(); ++i)
    if (!match_pattern(patterns[i], values[i], bindings)) return false;
  return true;
}

bool match_sequence(const code::Pattern& pattern, const Value& value, Bindings& bindings) {
  ValueSpan items = value.as_list();
  size_t wanted = pattern.elements.size();
  if (pattern.rest ? items.size() < wanted : items.size() != wanted) return false;
  if (!match_elements(pattern.elements, items, bindings)) return false;
  if (pattern.rest) bindings.emplace_back(*pattern.rest, value.tail(wanted));
  return true;
}

bool matches(const code::Pattern& pattern, const Value& value, Bindings& bindings) {
  switch (pattern.kind) {
    case Kind::Wildcard: return true;
    case Kind::Name: bindings.emplace_back(pattern.name, value); return true;
    case Kind::Literal: return pattern.literal.equals(value);
    case Kind::Tuple: return value.is(Value::Kind::Tuple) && match_sequence(pattern, value, bindings);
    case Kind::List: return value.is(Value::Kind::List) && match_sequence(pattern, value, bindings);
    case Kind::Never: return false;
  }
  return false;
}

}  // namespace

bool match_pattern(const code::Pattern& pattern, const Value& value, Bindings& bindings) {
  size_t before = bindings.size();
  if (matches(pattern, value, bindings)) return true;
  bindings.resize(before);
  return false;
}

}  // namespace ostrel
