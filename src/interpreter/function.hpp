#pragma once
// The payload of a Function value: shared lowered code and the values it captured when it was
// made, one per capture slot of the code (unbound where the name was not bound then).
#include <memory>
#include <vector>

#include "interpreter/code.hpp"

namespace ostrel {

struct FunctionObject final : HeapObject {
  FunctionObject(std::shared_ptr<const code::FunctionCode> c, std::vector<Value> values)
      : code(std::move(c)), captures(std::move(values)) {}
  HeapObject* clone() const override { return new FunctionObject(*this); }

  std::shared_ptr<const code::FunctionCode> code;
  std::vector<Value> captures;
};

inline const FunctionObject& function_of(const Value& value) {
  return static_cast<const FunctionObject&>(*value.payload());
}

}  // namespace ostrel
