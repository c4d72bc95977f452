#pragma once
// The arguments of one module-function call, with the checks and messages all members share.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "interpreter/value.hpp"
#include "support/result.hpp"

namespace ostrel::stdlib {

class Arguments {
 public:
  Arguments(std::string_view function_name, const ValueList& values)
      : function_name_(function_name), values_(values) {}

  // The full dotted name, as messages show it ("fs.read").
  const std::string& function_name() const { return function_name_; }
  size_t count() const { return values_.size(); }
  // Argument `number`, counted from 1; it must exist.
  const Value& at(size_t number) const { return values_[number - 1]; }

  // A copy of the text of argument `number` (from 1), or "missing argument" or "must be a
  // string" when it is absent or not a String.
  Result<std::string> text(size_t number) const;
  // Like `text`, but refuses a leading '-': a package name or search query never has one, and
  // the program would take it for an option ("-u" would upgrade the whole system).
  Result<std::string> package_name(size_t number) const;
  // An error when the call was given any argument at all.
  std::optional<Error> refuse_any() const;

 private:
  std::string function_name_;
  const ValueList& values_;
};

}  // namespace ostrel::stdlib
