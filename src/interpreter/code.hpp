#pragma once
// The compiled form of a program that the evaluator walks: the syntax tree with its names
// interned, its literals turned into values, the branches of a conditional in one list and the
// shapes of in-place updates (`xs = append(xs, v)`, `s += t`) marked. Function bodies live in
// shared FunctionCode that every function value made from them keeps alive, so values outlive
// the tree they came from.
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ast/ast.hpp"
#include "interpreter/builtins.hpp"
#include "interpreter/symbols.hpp"
#include "interpreter/value.hpp"

namespace ostrel::code {

enum class ExprKind : uint8_t {
  Constant, Name, List, Tuple, Dict, Binary, Unary, Pipe, Call, Index, Member,
  If, For, While, Match, Lambda, Comprehension, Block, Assign, CompoundAssign,
};

struct Expr {
  explicit Expr(ExprKind k) : kind(k) {}
  virtual ~Expr() = default;
  Expr(const Expr&) = delete;
  Expr& operator=(const Expr&) = delete;
  const ExprKind kind;
};
using ExprPtr = std::unique_ptr<Expr>;

template <ExprKind K>
struct Node : Expr {
  Node() : Expr(K) {}
};

struct Stmt;
struct FunctionCode;

struct Constant final : Node<ExprKind::Constant> { Value value; };
struct Name final : Node<ExprKind::Name> { Symbol symbol = 0; };
// List and tuple literals.
struct Elements final : Expr {
  explicit Elements(ExprKind k) : Expr(k) {}
  std::vector<ExprPtr> elements;
};
struct DictLiteral final : Node<ExprKind::Dict> { std::vector<std::pair<ExprPtr, ExprPtr>> entries; };
struct Binary final : Node<ExprKind::Binary> {
  ast::BinaryOperator op{};
  ExprPtr left, right;
};
struct Unary final : Node<ExprKind::Unary> {
  ast::UnaryOperator op{};
  ExprPtr operand;
};
struct Pipe final : Node<ExprKind::Pipe> { ExprPtr left, right; };
struct Call final : Node<ExprKind::Call> {
  ExprPtr callee;
  std::vector<ExprPtr> arguments;
  // A call `map(f, range(...))`, `filter(f, range(...))` or `sum(range(...))`: which of them,
  // and the position of the range argument, walked without building it while both names are
  // still the builtins.
  struct WalkedRange {
    enum class Walker : uint8_t { Map, Filter, Sum };
    Walker walker;
    const Builtin* entry;  // the builtin the name stood for when compiled
    const Builtin* range;
    size_t argument;
  };
  std::optional<WalkedRange> walked_range;
};
struct Index final : Node<ExprKind::Index> { ExprPtr target, index; };
struct Member final : Node<ExprKind::Member> {
  ExprPtr object;
  std::string member;
};
// The then-branch and the elif branches as (condition, body) pairs in order.
struct If final : Node<ExprKind::If> {
  std::vector<std::pair<ExprPtr, ExprPtr>> branches;
  ExprPtr otherwise;  // null when there is no else
};
struct For final : Node<ExprKind::For> {
  Symbol variable = 0;
  ExprPtr iterable, body;
  const Builtin* range = nullptr;  // the builtin range when the iterable is a call of that name
};
struct While final : Node<ExprKind::While> { ExprPtr condition, body; };

struct Pattern {
  // Never: constructor patterns, and literal patterns over anything but a literal.
  enum class Kind : uint8_t { Wildcard, Literal, Name, Tuple, List, Never };
  Kind kind = Kind::Wildcard;
  Symbol name = 0;                // Name
  Value literal;                  // Literal
  std::vector<Pattern> elements;  // Tuple and List
  std::optional<Symbol> rest;     // List
};
struct Arm {
  Pattern pattern;
  ExprPtr guard;  // null when the arm has none
  ExprPtr body;
};
struct Match final : Node<ExprKind::Match> {
  ExprPtr scrutinee;
  std::vector<Arm> arms;
};

struct Lambda final : Node<ExprKind::Lambda> { std::shared_ptr<const FunctionCode> function; };
struct Comprehension final : Node<ExprKind::Comprehension> {
  ExprPtr element;
  Symbol variable = 0;
  ExprPtr iterable;
  ExprPtr condition;  // null when absent
  const Builtin* range = nullptr;  // the builtin range when the iterable is a call of that name
};
struct Block final : Node<ExprKind::Block> { std::vector<Stmt> statements; };

// Assignments whose new value extends the target's own value, done in place when nothing else
// holds that value: `x = x + e` (Add) and `x = append(x, e)` (Append).
enum class InPlace : uint8_t { No, Add, Append };
struct Assign final : Node<ExprKind::Assign> {
  std::optional<Symbol> target;  // absent: not a name, which fails once the value is evaluated
  ExprPtr value;
  InPlace in_place = InPlace::No;
};
struct CompoundAssign final : Node<ExprKind::CompoundAssign> {
  ast::BinaryOperator op{};
  std::optional<Symbol> target;  // absent: not a name
  ExprPtr current;               // the target, evaluated as an expression
  ExprPtr value;
};

struct FunctionCode {
  std::optional<Symbol> name;  // absent for lambdas
  std::vector<Symbol> params;
  ExprPtr body;
  // The names the body (nested functions included) reads or assigns, other than its parameters
  // and its own name: all a function value needs to keep of the scopes it was made in.
  std::vector<Symbol> free_names;
};

struct Stmt {
  // Nothing: imports and type, data, trait and instance definitions, which have no effect.
  enum class Kind : uint8_t { Sequence, Declare, Function, Evaluate, Return, Nothing };
  Kind kind = Kind::Nothing;
  Symbol name = 0;                                // Declare, Function
  ExprPtr expr;                                   // Declare, Evaluate, Return (null: bare return)
  std::shared_ptr<const FunctionCode> function;   // Function
  std::vector<Stmt> statements;                   // Sequence
};

template <class T>
const T& as(const Expr& e) {
  return static_cast<const T&>(e);
}

}  // namespace ostrel::code
