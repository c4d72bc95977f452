#pragma once
// Predefined functions as tables. Each builtin and each member of a library module is declared
// once, as an entry of its name and its function beside the code that implements it (the way
// Lua registers its libraries). A BuiltinFn value points at its entry, so a call runs the
// function without looking for a name; the global environment binds the entries of the
// builtins and of the modules it is given, in table order, and the REPL's listing knows the
// predefined names from the same tables.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/output_sink.hpp"
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

using BuiltinFunction = std::function<Result<Value>(const ValueList& arguments, Caller& caller)>;

struct Builtin {
  std::string name;  // as "<builtin:NAME>" shows it: "len", or "fs.read" for a module member
  BuiltinFunction function;
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

// The twelve builtins, in the order the global scope binds them.
const std::vector<Builtin>& builtins();

// True for the builtin `append`, whose `x = append(x, item)` form may grow x in place.
bool is_append(const Value& callee);

}  // namespace ostrel
