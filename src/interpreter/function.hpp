#pragma once
// The payload of a Function value: shared compiled code and the environment it closes over.
#include <memory>

#include "interpreter/code.hpp"
#include "interpreter/environment.hpp"

namespace ostrel {

struct FunctionObject final : HeapObject {
  FunctionObject(std::shared_ptr<const code::FunctionCode> c, Environment env)
      : code(std::move(c)), closure(std::move(env)) {}
  HeapObject* clone() const override { return new FunctionObject(*this); }

  std::shared_ptr<const code::FunctionCode> code;
  Environment closure;
};

inline const FunctionObject& function_of(const Value& value) {
  return static_cast<const FunctionObject&>(*value.payload());
}

}  // namespace ostrel
