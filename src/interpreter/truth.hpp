#pragma once
// The one truth test of the language: conditions, loops, guards, filters, `and`, `or`, `filter`.
#include "interpreter/value.hpp"

namespace ostrel {

inline bool is_true(const Value& value) {
  switch (value.kind()) {
    case Value::Kind::Int: return value.as_int() != 0;
    case Value::Kind::Float: return value.as_float() != 0.0;  // NaN is true
    case Value::Kind::String: return !value.as_string().empty();
    case Value::Kind::List: return !value.as_list().empty();
    case Value::Kind::Bool: return value.as_bool();
    case Value::Kind::None: return false;
    default: return true;  // dictionaries, tuples and functions, even empty ones
  }
}

}  // namespace ostrel
